# Run by cpack once the install is staged, before it packs (CPACK_PRE_BUILD_SCRIPTS). The install
# asks for 755 on the folders it makes, but mkdir masks that with the umask: under umask 077 every
# folder would go into a package as drwx------, and the package would depend on who built it.
# Files keep the modes the install gave them.
file(CHMOD_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
