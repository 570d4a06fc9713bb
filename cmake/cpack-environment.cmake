# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the archive writers take their file
# times from SOURCE_DATE_EPOCH.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_VELBRIN_SOURCE_DATE_EPOCH}")
