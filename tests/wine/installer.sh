#!/usr/bin/env bash
# velbrin.exe as Windows reads it, and its installer under Wine.
#   installer.sh resources EXE BUILD_DIR VERSION DESCRIPTION MANIFEST OUT_DIR
#       The built exe's icon, version information and manifest; the zip that cpack makes and the
#       .msi hold that very exe.
#   installer.sh install STATE_DIR EXE BUILD_DIR VERSION OUT_DIR
#       In the fixture's prefix: a silent install of the build's .msi, the exe, the shortcut and
#       the Apps & features entry, the program started from its shortcut; an upgrade by a .msi of
#       the next major version built from the same files; a refused downgrade; a silent uninstall
#       that leaves nothing of velbrin's.
set -uo pipefail
mode=$1
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in wrestool icotool msiinfo msiextract; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing (Debian packages icoutils and msitools)"
        exit 77
    fi
done

case $mode in
resources)
    exe=$2 build=$3 version=$4 description=$5 manifest=$6 out=$7
    rm -rf "$out" && mkdir -p "$out"

    # The icon: 16 to 256 pixels, the 256 one as PNG.
    wrestool -x --type=14 "$exe" >"$out/velbrin.ico"
    sizes=$(icotool -l "$out/velbrin.ico" | sed 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/' | xargs)
    [ "$sizes" = "16x16 24x24 32x32 48x48 64x64 256x256" ] || fail "icon sizes: $sizes"
    pngs=$(wrestool -x --raw --type=3 "$exe" | grep -a -c $'\x89PNG\r$')
    [ "$pngs" -eq 1 ] || fail "$pngs icon images are PNGs, expected one (256 x 256)"

    # The version information, in Chinese (PRC) and UTF-16: as UTF-8 with a line break for each
    # run of zero characters, a string's value is the line after the one its name ends.
    strings=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 | tr -s '\0' '\n')
    translation=$'\xe0\xa0\x84\xd2\xb0' # the numbers 0x0804 and 1200 (0x04B0) as characters
    while IFS='=' read -r key value; do
        got=$(grep -a -A1 "$key\$" <<<"$strings" | sed -n 2p)
        [ "$got" = "$value" ] || fail "version information: $key is '$got', expected '$value'"
    done <<EOF
FileVersion=$version
ProductVersion=$version
ProductName=velbrin
FileDescription=$description
CompanyName=jbk工作室
OriginalFilename=velbrin.exe
Translation=$translation
EOF
    grep -q '080404b0$' <<<"$strings" || fail "no string table 080404b0 (Chinese, PRC; UTF-16)"
    grep -a -A1 'LegalCopyright$' <<<"$strings" | grep -q '^Copyright .*jbk工作室$' ||
        fail "LegalCopyright: $(grep -a -A1 'LegalCopyright$' <<<"$strings")"

    # The manifest, as written.
    wrestool -x --raw --type=24 --name=1 "$exe" | cmp - "$manifest" || fail "the manifest differs"

    # Only DLLs that Windows 10 1809, the oldest supported, has (the functions imported from them
    # were checked by hand: none is newer than version 1703).
    old_enough=' advapi32 authz comdlg32 d3d9 d3d11 d3d12 dwmapi dwrite dxgi gdi32 imm32 kernel32
        mpr msvcrt netapi32 ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme
        version winmm ws2_32 wtsapi32 api-ms-win-core-synch-l1-2-0 api-ms-win-core-winrt-l1-1-0
        api-ms-win-core-winrt-string-l1-1-0 '
    for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: \(.*\)\.dll$/\1/ip' |
        tr 'A-Z' 'a-z'); do
        [[ $old_enough == *[[:space:]]$dll[[:space:]]* ]] || fail "velbrin.exe imports $dll.dll"
    done

    # No folder of the build machine: the exe is the same wherever it is built.
    qt=$(sed -n 's/^VELBRIN_QT_WINDOWS:PATH=//p' "$build/CMakeCache.txt")
    for folder in "$build" "$(cd "$(dirname "$manifest")/../.." && pwd)" "$qt" "$HOME/"; do
        ! grep -a -q -F "$folder" "$exe" || fail "velbrin.exe holds the build machine's folder $folder"
    done

    # The same exe in a zip that cpack makes and in the .msi.
    cpack -G ZIP -B "$out/zip" --config "$build/CPackConfig.cmake" >"$out/cpack.log" ||
        fail "cpack: $(cat "$out/cpack.log")"
    mkdir -p "$out/zip/files"
    (cd "$out/zip/files" && cmake -E tar xf "../velbrin-$version-win64.zip")
    msiextract -C "$out/msi" "$build/velbrin-$version-win64.msi" >/dev/null
    for copy in "$out/zip/files/velbrin-$version-win64/velbrin.exe" "$out/msi/velbrin/velbrin.exe"; do
        cmp -s "$copy" "$exe" || fail "$copy is not the built exe"
    done
    ;;

install)
    state=$2 exe=$3 build=$4 version=$5 out=$6
    if [ ! -f "$state/display" ]; then
        echo "FAIL: no X display from the fixture (session.sh start)"
        exit 1
    fi
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    rm -rf "$out" && mkdir -p "$out"
    drive=$state/prefix/drive_c
    msi=$build/velbrin-$version-win64.msi
    next=$((${version%%.*} + 1)).0.0.0
    next_msi=$out/velbrin-$next-win64.msi
    cmake -DVERSION="$next" -DOUTPUT="$next_msi" -P "$build/msi.cmake" || fail "building $next_msi"
    in_wine() { "$here/run.sh" "$state" "$@"; }
    product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r'; }
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
    # The entries of Apps & features named velbrin, as "version" lines.
    entries() {
        in_wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '
            /^HKEY/ { name = ""; version = "" }
            $1 == "DisplayName" { name = $3 }
            $1 == "DisplayVersion" { version = $3 }
            name == "velbrin" && version != "" { print version; name = "" }'
    }
    shortcuts() { find "$drive" -name '平均数、方差计算器.lnk'; }
    # A ProductCode as Windows Installer writes it into its registry keys.
    packed() {
        local hex=${1//[\{\}-]/} result
        result=$(rev <<<"${hex:0:8}")$(rev <<<"${hex:8:4}")$(rev <<<"${hex:12:4}")
        for i in 16 18 20 22 24 26 28 30; do result+=${hex:i+1:1}${hex:i:1}; done
        echo "$result"
    }
    # Lines of the whole registry that hold the name velbrin, its folder or one of its two
    # ProductCodes (build folders that other tests leave in the registry may hold "velbrin").
    registry_traces() {
        in_wine regedit /E "Z:$out/registry.reg" >/dev/null 2>&1
        iconv -f UTF-16 -t UTF-8 "$out/registry.reg" | grep -i -F -e '"velbrin"' \
            -e 'Program Files\\velbrin' -e "${first_code//[\{\}]/}" -e "${next_code//[\{\}]/}" \
            -e "$(packed "$first_code")" -e "$(packed "$next_code")"
    }
    first_code=$(product_code "$msi")
    next_code=$(product_code "$next_msi")
    if [ -z "$first_code" ] || [ -z "$next_code" ]; then
        echo "FAIL: no ProductCode in $msi or $next_msi"
        exit 1
    fi

    # 1. A silent install.
    in_wine msiexec /i "Z:$msi" /qn || fail "msiexec /i $msi /qn: status $?"
    installed=$drive/Program\ Files/velbrin/velbrin.exe
    cmp -s "$installed" "$exe" || fail "the installed exe is not the built one"
    [ "$(shortcuts | wc -l)" -eq 1 ] || fail "start-menu shortcuts: $(shortcuts)"
    [ "$(entries)" = "$version" ] || fail "Apps & features: '$(entries)', expected $version"
    in_wine reg query "$uninstall_key\\$first_code" /v Publisher 2>/dev/null | grep -q 'jbk Studio' ||
        fail "the uninstall entry names no publisher"

    # 2. The program, started from its shortcut, shows its main window.
    in_wine start /unix "$(shortcuts | head -n1)" >"$out/start.log" 2>&1
    window=$(sh "$here/session.sh" window "$state")
    if [ -z "$window" ]; then
        fail "no window of the installed program within 120 s"
    else
        title=$(xdotool getwindowname "$window")
        [ "$title" = '平均数、方差计算器——jbk工作室' ] || fail "window title '$title'"
        echo "the installed velbrin.exe shows '$title'"
    fi
    in_wine taskkill /im velbrin.exe >/dev/null 2>&1
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name 'jbk' >/dev/null 2>&1 || break
        sleep 0.1
    done
    ! xdotool search --onlyvisible --name 'jbk' >/dev/null 2>&1 ||
        fail "the program's window stays 10 s after taskkill"

    # 3. The next major version replaces it: one entry, the new version.
    in_wine msiexec /i "Z:$next_msi" /qn || fail "msiexec /i $next_msi /qn: status $?"
    [ "$(entries)" = "$next" ] || fail "after the upgrade, Apps & features: '$(entries)'"
    [ "$(shortcuts | wc -l)" -eq 1 ] || fail "after the upgrade, shortcuts: $(shortcuts)"

    # 4. The older version is refused; the newer stays (Wine shows no message with /qn: the
    #    message's text is checked in the database).
    in_wine msiexec /i "Z:$msi" /qn && fail "the older version installed over the newer one"
    [ "$(entries)" = "$next" ] || fail "after the refused downgrade, Apps & features: '$(entries)'"
    msiinfo export "$msi" LaunchCondition | grep -q '已经安装了较新版本的 velbrin' ||
        fail "no Chinese downgrade message in $msi"

    # 5. A silent uninstall leaves nothing: no file, shortcut or registry entry.
    [ -n "$(registry_traces)" ] || fail "the registry check finds nothing even while installed"
    in_wine msiexec /x "Z:$next_msi" /qn || fail "msiexec /x $next_msi /qn: status $?"
    # Windows Installer's copy of the package and the icon it gave the entry go too. (Other tests
    # leave files named velbrin in C:\.)
    left=$(ls -d "$drive/Program Files/velbrin" 2>/dev/null; shortcuts
        find "$drive/users" "$drive/ProgramData" -iname '*velbrin*'; ls -A "$drive/windows/Installer")
    [ -z "$left" ] || fail "left after the uninstall: $left"
    traces=$(registry_traces)
    [ -z "$traces" ] || fail "left in the registry: $traces"
    ;;
*)
    echo "usage: installer.sh resources|install ..." >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "installer.sh $mode: passed"
exit "$failures"
