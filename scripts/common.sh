# Shared by the scripts in this folder: source it, do not run it.

# The clone's real path: a clone reached through a symbolic link is bound into the minimal systems
# (scripts/debian-root) at its real path, where the link does not exist.
VELBRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)

# The packages of the named sets of scripts/debian-packages.txt ("run", "test", "windows").
velbrin_package_set() { # set...
    awk -v sets=" $* " '
        { sub(/#.*/, "") }
        /^\[.*\]$/ { name = substr($0, 2, length($0) - 2); next }
        NF && index(sets, " " name " ") { print $1 }' "$VELBRIN_ROOT/scripts/debian-packages.txt"
}

# Installs the packages of the named sets that are not installed yet.
velbrin_install_packages() { # set...
    # shellcheck disable=SC2046 # the list is words
    velbrin_install_debs $(velbrin_package_set "$@")
}
# Installs those of the named packages that are not installed yet.
velbrin_install_debs() { # package...
    local package missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "velbrin: installing ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            sudo=(sudo)
        else
            echo "velbrin: these Debian packages are missing; install them as root:" >&2
            echo "    apt-get install -y --no-install-recommends ${missing[*]}" >&2
            return 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q || return 1
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" || return 1
}

# Makes sure a locale exists (for tests that switch locales); quietly does nothing when it cannot.
velbrin_ensure_locale() { # name, e.g. de_DE, and charset
    local name=$1 charset=$2
    locale -a 2>/dev/null | grep -qi "^$name\.$(echo "$charset" | tr -d -)$" && return 0
    [ "$(id -u)" -eq 0 ] || return 0
    localedef -i "$name" -f "$charset" "$name.$charset" 2>/dev/null || true
}

# The Windows half (Qt for Windows, velbrin.exe, its tests and downloads) is built with Debian 13's
# Qt, a long-term series that Debian's security team patches. Qt's host tools (moc, rcc, uic) must
# be of the version built, so that half runs on Debian 13 itself, and on any other system in a
# minimal Debian 13 with the build, test and windows sets (scripts/debian-root, as root).
VELBRIN_WINDOWS_CODENAME=trixie
velbrin_on_windows_system() {
    [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" = "$VELBRIN_WINDOWS_CODENAME" ]
}

# The Debian version of Qt's host tools here, installed or to be installed.
velbrin_host_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null ||
        apt-cache policy qt6-base-dev-tools | sed -n 's/^ *Candidate: *//p'
}

# The minimal Debian systems of scripts/debian-root, and how this user reaches it: sets
# velbrin_debian_root to the command (through sudo when not root); when it cannot be reached here,
# fails and says why in velbrin_no_debian_root. sudo must not ask: the scripts call it from jobs
# without a terminal.
VELBRIN_DEBIAN_CACHE=/var/cache/velbrin/debian
velbrin_debian_root=() velbrin_no_debian_root=
velbrin_reach_debian_root() {
    velbrin_debian_root=("$VELBRIN_ROOT/scripts/debian-root")
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            velbrin_no_debian_root="a minimal Debian system needs root, and sudo is not installed"
            return 1
        fi
        if ! setsid -w sudo -n true </dev/null >/dev/null 2>&1; then
            velbrin_no_debian_root="a minimal Debian system needs root: sudo asks for a password,"
            velbrin_no_debian_root+=" and the scripts call it without a terminal (run as root, or"
            velbrin_no_debian_root+=" give this user a NOPASSWD rule in /etc/sudoers.d)"
            return 1
        fi
        velbrin_debian_root=(sudo -n "${velbrin_debian_root[@]}")
    fi
    velbrin_no_debian_root=$("${velbrin_debian_root[@]}" --check 2>&1) && return 0
    velbrin_no_debian_root=${velbrin_no_debian_root#velbrin: }
    return 1
}

# Makes a folder that root may enter as a system (or checks it): it and every folder above it must
# belong to root and be writable by nobody else, or another user could change what root runs.
velbrin_root_only_folder() { # folder
    local path owner mode
    # Readable by all: users read a system's package versions (scripts/build-qt-windows --print).
    (umask 022 && mkdir -p "$1") || return 1
    for path in "$1" "$(realpath "$1")"; do
        while :; do
            read -r owner mode < <(stat -L -c '%u %a' "$path")
            if [ "$owner" != 0 ] || [ $((8#$mode & 8#022)) -ne 0 ]; then
                echo "velbrin: $path (owner $owner, mode $mode) is not root's alone; a system that" \
                    "root enters must not be where another user can write" >&2
                return 1
            fi
            [ "$path" != / ] || break
            path=$(dirname "$path")
        done
    done
}

# The folder of the Qt for Windows: VELBRIN_QT_WINDOWS, or the cache's folder for the qt6-base of
# the Windows half's system, read from its package database (no root needed). Fails when that
# system is not made yet: scripts/build-qt-windows makes it.
velbrin_windows_qt_dir() {
    local version system
    if [ -n "${VELBRIN_QT_WINDOWS:-}" ]; then
        echo "$VELBRIN_QT_WINDOWS"
        return
    fi
    if velbrin_on_windows_system; then
        version=$(velbrin_host_qt_version)
    else
        system=$("$VELBRIN_ROOT/scripts/debian-root" --print "$VELBRIN_WINDOWS_CODENAME" run test windows)
        version=$(dpkg-query --admindir="$system/var/lib/dpkg" -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) || {
            echo "velbrin: there is no Debian $VELBRIN_WINDOWS_CODENAME system for the Windows half yet" \
                "($system): scripts/build-qt-windows makes it" >&2
            return 1
        }
    fi
    velbrin_qt_windows_dir "$version"
}

# Runs a command of the Windows half where it is built: here, or as the caller in the minimal
# system, whose changes are thrown away. There it sees the clone, Qt's folder (VELBRIN_QT_WINDOWS,
# also passed in) and each folder of --bind at their real paths, and starts in the clone;
# --no-network keeps its X displays apart from the host's. The environment in there is a clean one.
velbrin_windows_run() { # [--bind DIR]... [--no-network] -- COMMAND [ARG]...
    local options=()
    while [ "$1" != -- ]; do
        options+=("$1")
        shift
    done
    shift
    if velbrin_on_windows_system; then
        (cd "$VELBRIN_ROOT" && "$@")
        return
    fi
    local qt=${VELBRIN_QT_WINDOWS:?}
    mkdir -p "$qt"
    qt=$(realpath "$qt")
    velbrin_reach_debian_root || { echo "velbrin: $velbrin_no_debian_root" >&2; return 1; }
    # As root in there: the locale of Wine's Chinese code page; then the command, as the caller.
    "${velbrin_debian_root[@]}" "${options[@]}" --scratch --bind "$VELBRIN_ROOT" --bind "$qt" \
        "$VELBRIN_WINDOWS_CODENAME" run test windows -- \
        bash -c 'cd "$1" && source scripts/common.sh && velbrin_ensure_locale zh_CN UTF-8 &&
        shift && exec setpriv --reuid="$1" --regid="$2" --clear-groups env HOME="$3" \
            VELBRIN_QT_WINDOWS="$4" VELBRIN_JOBS="$5" "${@:6}"' velbrin-windows "$VELBRIN_ROOT" \
        "$(id -u)" "$(id -g)" "$([ "$(id -u)" -eq 0 ] && echo /root || echo /tmp)" "$qt" \
        "${VELBRIN_JOBS:-2}" "$@"
}

# The folder of the static mingw-w64 Qt that scripts/build-qt-windows makes, for a Debian version of
# qt6-base such as 6.4.2+dfsg-10. VELBRIN_QT_WINDOWS names another folder.
velbrin_qt_windows_dir() { # Debian version
    if [ -n "${VELBRIN_QT_WINDOWS:-}" ]; then
        echo "$VELBRIN_QT_WINDOWS"
        return
    fi
    local upstream=${1#*:}
    upstream=${upstream%%[-+~]*}
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/velbrin/qt-$upstream-mingw-static"
}

# APT source entries, for an APT configuration folder such as /etc/apt.
# True when some entry already serves source packages (deb-src).
velbrin_has_deb_src() { # folder
    grep -qsE '^[[:space:]]*deb-src[[:space:]]' "$1/sources.list" "$1"/sources.list.d/*.list ||
        grep -qsE '^Types:.*[[:space:]]deb-src([[:space:]]|$)' "$1"/sources.list.d/*.sources
}
# The deb822 stanzas of the binary entries, as source entries: same URIs, suites, components and
# options, the type deb-src.
velbrin_deb_src_deb822() { # folder
    local file
    for file in "$1"/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
            /(^|\n)Types:[^\n]*deb([ \t\n]|$)/ {
                sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$file"
    done
}
# The one-line binary entries ("deb [options] URI suite components"), as deb-src lines.
velbrin_deb_src_one_line() { # folder
    cat "$1/sources.list" "$1"/sources.list.d/*.list 2>/dev/null |
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' || true
}

# This machine's APT entries for its own release, as entries of another one, for mmdebstrap: the
# suites HOST, HOST-updates and HOST-security become CODENAME's, with the same URIs (mirror lists
# and local mirrors too), components and options; other entries (other releases, other vendors)
# are left out. With "deb-src", source entries come beside them.
velbrin_apt_deb822() { # folder host codename [deb-src]
    local file types=deb
    [ "${4:-}" != deb-src ] || types='deb deb-src'
    for file in "$1"/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk -v host="$2" -v codename="$3" -v types="$types" '
            BEGIN { RS = ""; ORS = "\n\n" }
            {
                n = split($0, lines, "\n"); out = ""; suites = ""; deb = 0; off = 0
                for (i = 1; i <= n; i++) {
                    line = lines[i]
                    if (tolower(line) ~ /^types:/) {
                        deb = line ~ /[ \t]deb([ \t]|$)/
                        line = "Types: " types
                    } else if (tolower(line) ~ /^enabled:[ \t]*no/) {
                        off = 1
                    } else if (tolower(line) ~ /^suites:/) {
                        m = split(substr(line, 8), words, /[ \t]+/)
                        for (j = 1; j <= m; j++)
                            if (words[j] == host || words[j] == host "-updates" || words[j] == host "-security")
                                suites = suites " " codename substr(words[j], length(host) + 1)
                        line = "Suites:" suites
                    }
                    out = out (i > 1 ? "\n" : "") line
                }
                if (deb && !off && suites != "") print out
            }' "$file"
    done
}
velbrin_apt_one_line() { # folder host codename [deb-src]
    # A missing file is no entry; so is a folder without any.
    { cat "$1/sources.list" "$1"/sources.list.d/*.list 2>/dev/null || true; } |
        awk -v host="$2" -v codename="$3" -v src="${4:-}" '
            { sub(/^[ \t]+/, ""); sub(/[ \t]+#.*/, "") }
            $1 != "deb" { next }
            {
                rest = substr($0, 4); sub(/^[ \t]+/, "", rest); options = ""
                if (rest ~ /^\[/) {
                    options = substr(rest, 1, index(rest, "]")) " "
                    rest = substr(rest, index(rest, "]") + 1); sub(/^[ \t]+/, "", rest)
                }
                split(rest, words, /[ \t]+/)
                suite = words[2]
                if (suite != host && suite != host "-updates" && suite != host "-security") next
                sub(/^[^ \t]+[ \t]+[^ \t]+/, "", rest)
                entry = options words[1] " " codename substr(suite, length(host) + 1) rest
                print "deb " entry
                if (src == "deb-src") print "deb-src " entry
            }'
}
# The files on this machine that entries name and a system needs too: mirror lists
# (mirror+file:) and keyrings (Signed-By, signed-by=).
velbrin_apt_files() { # sources file...
    { grep -ohiE '(mirror\+file:(//)?|signed-by[=:][[:space:]]*)/[^][:space:],]+' "$@" 2>/dev/null || true; } |
        sed -E 's,^(mirror\+file:(//)?|[^/]*),,' | sort -u
}
# This machine's APT options that a system needs to reach the same archive: proxies (per scheme
# and per host) and the checks of the Release files' dates (off for a snapshot mirror).
velbrin_apt_options() {
    apt-config dump | grep -E '^Acquire::([a-z+]+::Proxy(-Auto-Detect|::[^ ]+)?|Check-Valid-Until|Check-Date) ' || true
}

# Empties a folder, or makes it: it may be a mount point (Qt's folder in the minimal system).
velbrin_empty() { # folder
    mkdir -p "$1"
    find "$1" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
}

# Builds the binary packages of a source package as Debian's build daemons do: in a fresh minimal
# Debian 12 that holds only build-essential and the Build-Depends (scripts/debian-root --scratch,
# thrown away after), without network, as a user other than root, with the build's tests. The
# build folder is /build followed by OUT's path, so it differs between callers whose OUT differs;
# the time zone and the umask are the caller's. Leaves the .deb files, .buildinfo and .changes in OUT, owned by the
# caller, and the build's log in OUT/build.log.
# A folder for the packages apt downloads into a minimal system, kept for the next run beside the
# systems, where only root writes: root's apt takes them as they are. Prints its path.
velbrin_apt_archives() { # name
    local folder=/var/cache/velbrin/apt/$1 as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" mkdir -p "$folder/partial" && echo "$folder"
}

velbrin_build_binary() { # DSC OUT
    local dsc out
    dsc=$(realpath "$1")
    out=$(realpath "$2")
    velbrin_reach_debian_root || { echo "velbrin: $velbrin_no_debian_root" >&2; return 1; }
    local root=("${velbrin_debian_root[@]}" --scratch --bind "$(dirname "$dsc")" --bind "$out")
    local archives
    archives=$(velbrin_apt_archives bookworm-build) || return 1
    root+=(--bind "$archives" bookworm --)
    # The system is made and entered under umask 022 (under 077 its scratch root would let only
    # root in); the build has the caller's.
    local mask
    mask=$(umask)
    (umask 022 && "${root[@]}" bash -euc '
        dsc=$1 out=$2 owner=$3 zone=$4 mask=$5 archives=$6
        apt() { apt-get -q -o Dir::Cache::Archives="$archives/" "$@"; }
        {
            apt update
            apt install -y --no-install-recommends build-essential
            apt build-dep -y --no-install-recommends "$dsc"
        } >"$out/build.log" 2>&1 || { tail -n 20 "$out/build.log"; exit 1; }
        # The build folder is in the system, where no folder of the caller bars the build user.
        useradd --create-home --shell /bin/bash velbrin-build
        build=/build$out
        mkdir -p "$build"
        sed -n "/^Files:/,/^[^ ]/s/^ [0-9a-f]* [0-9]* //p" "$dsc" | sed "s:^:$(dirname "$dsc")/:" |
            xargs -d "\n" cp -t "$build" "$dsc"
        chown -R velbrin-build: /build
        status=0
        unshare --net setpriv --reuid=velbrin-build --regid=velbrin-build --init-groups \
            env HOME=/home/velbrin-build TZ="$zone" bash -c "umask $mask && cd \"\$1\" &&
                dpkg-source -x \"\$2\" source && cd source && dpkg-buildpackage -b -us -uc" \
            build "$build" "$(basename "$dsc")" >>"$out/build.log" 2>&1 || status=$?
        if [ $status -eq 0 ]; then
            find "$build" -maxdepth 1 -type f \( -name "*.deb" -o -name "*.buildinfo" -o -name "*.changes" \) \
                -exec cp -t "$out" {} +
        else
            tail -n 40 "$out/build.log"
        fi
        chown -R "$owner" "$out"
        exit $status
    ' velbrin-build "$dsc" "$out" "$(id -u):$(id -g)" "${TZ:-}" "$mask" "$archives")
}

# Makes the source package beside ORIG, an orig tarball (velbrin_UPSTREAM.orig.tar.xz) whose tree
# holds debian/: the .dsc and the debian tarball. Prints the .dsc's path.
velbrin_source_package() { # ORIG
    local orig folder tree
    orig=$(realpath "$1")
    folder=$(dirname "$orig")
    tree=$(mktemp -d "$folder/tree.XXXXXX")
    # -p: the modes of the archive, not those the umask leaves.
    tar -xpf "$orig" -C "$tree" --strip-components=1
    (cd "$tree" && dpkg-source -b . >/dev/null)
    local version
    version=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
    rm -rf "$tree"
    echo "$folder/velbrin_$version.dsc"
}
