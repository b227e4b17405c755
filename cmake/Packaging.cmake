# What users download: the Debian package (make package: cpack -G DEB in build/linux) and the
# Windows .zip.

if(WIN32)
  # The program and a read-me, in one .zip.
  set(zip_dir ${PROJECT_BINARY_DIR}/zip/varnel)
  set(zip ${PROJECT_BINARY_DIR}/varnel-${PROJECT_VERSION}-win64.zip)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:varnel> ${zip_dir}/varnel.exe
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt
            ${zip_dir}/LEGGIMI-README.txt
    COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/zip
            ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip varnel
    DEPENDS varnel ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt)
  add_custom_target(windows_zip ALL DEPENDS ${zip})
  add_test(NAME windows_zip_contents
           COMMAND sh -c "${CMAKE_COMMAND} -E tar tf ${zip} | sort | tr '\\n' ' ' |
                          grep -qx 'varnel/ varnel/LEGGIMI-README.txt varnel/varnel.exe '")
  return()
endif()

set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_CONTACT "Varnel developers <varnel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host side of a one-key bar-code reader")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The reader is a USB keyboard that sends each code as timed presses of F12. Varnel decodes\n"
    " them, shows the bits and the value, and answers through the Scroll Lock light.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its X11 platform plugin at run time: no library links to it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
