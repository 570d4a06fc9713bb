# What a Linux install adds beside the program (licence, changelog, manual pages) and the settings
# of the .deb that cpack makes from it. Included from the root CMakeLists.txt on systems other than
# Windows.

# Debian wants the changelog and the manual pages compressed with "gzip -9n": -n keeps the file's
# name and time out of the archive, so a rebuild gives the same bytes. gzip also takes options
# from the environment variable GZIP (--rsyncable changes the bytes): not the caller's.
find_program(VELBRIN_GZIP gzip REQUIRED)
set(velbrin_gzipped)
function(velbrin_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E env --unset=GZIP ${VELBRIN_GZIP} -9nc ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
    set(velbrin_gzipped ${velbrin_gzipped} ${output} PARENT_SCOPE)
endfunction()

set(velbrin_doc_build ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${velbrin_doc_build}/man1 ${velbrin_doc_build}/zh_CN/man1)
velbrin_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${velbrin_doc_build}/changelog.gz)
velbrin_gzip(${PROJECT_SOURCE_DIR}/man/velbrin.1 ${velbrin_doc_build}/man1/velbrin.1.gz)
velbrin_gzip(${PROJECT_SOURCE_DIR}/man/zh_CN/velbrin.1 ${velbrin_doc_build}/zh_CN/man1/velbrin.1.gz)
add_custom_target(velbrin_docs ALL DEPENDS ${velbrin_gzipped})

install(FILES packaging/copyright ${velbrin_doc_build}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${velbrin_doc_build}/man1/velbrin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${velbrin_doc_build}/zh_CN/man1/velbrin.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)

# velbrin has no homepage, and AppStream 1.0 warns that its metadata names none; the lintian of
# Debian 13 reports that as a failed AppStream validation, and packaging/lintian-overrides says why
# it is fine. lintian's tag stands for any AppStream finding: tests/package/check.sh metadata is
# what accepts the missing homepage alone, by name. An older lintian has no such tag and takes an
# override of it for an error (alien-tag), so the override is packed only where lintian knows it.
find_program(VELBRIN_LINTIAN_EXPLAIN_TAGS lintian-explain-tags)
set(velbrin_lintian_tag appstream-metadata-validation-failed)
if(VELBRIN_LINTIAN_EXPLAIN_TAGS)
    execute_process(COMMAND ${VELBRIN_LINTIAN_EXPLAIN_TAGS} ${velbrin_lintian_tag}
        RESULT_VARIABLE velbrin_lintian_status OUTPUT_QUIET ERROR_QUIET)
endif()
if(VELBRIN_LINTIAN_EXPLAIN_TAGS AND velbrin_lintian_status EQUAL 0)
    install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME velbrin)
else()
    message(STATUS "lintian does not know ${velbrin_lintian_tag}: the .deb has no lintian override")
endif()

# The .deb: cpack -G DEB in a release build folder, or scripts/package.
set(CPACK_PACKAGE_NAME velbrin)
set(CPACK_PACKAGE_VENDOR "jbk工作室")
set(CPACK_PACKAGE_CONTACT "jbk工作室 <velbrin@jbkstudio.cn>")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every caption is Chinese: without a face that has Chinese glyphs the window shows empty boxes, so
# a Chinese face is a dependency. The alternatives are the two Song faces the program maps "宋体" to
# (app/fonts.cpp); fontconfig finds the other captions' glyphs in either. Noto comes first, the one
# apt picks: it also has sans-serif faces. AR PL UKai, the brush face "隶书" is mapped to, stays
# recommended: without it the buttons in that face are drawn in the Song face.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-ukai, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The synopsis, then the extended description; an empty line becomes " ." in the control file.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "mean, variance and standard deviation calculator (平均数、方差计算器)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A small desktop calculator: type in numbers one at a time, and it shows
their count, arithmetic mean, population variance and standard deviation.
Running totals and intermediate results are rounded to 15 significant
digits. The window is in simplified Chinese.

一个小巧的桌面计算器：逐个输入数值，它显示个数、算术平均数、总体方差和
标准差。累计值和中间结果取 15 位有效数字。界面为简体中文。")
