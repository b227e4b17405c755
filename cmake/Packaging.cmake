# What users download: the Debian package (make package: cpack -G DEB in build/linux) and the
# Windows .zip. Every file that names the version takes it from project(VERSION).

# The day this version was released, for the manual pages, the changelog and the metainfo. The
# top entries of packaging/changelog.in and of the metainfo's releases stand for this version;
# a new version writes the old one's number into them and adds its own entries above.
set(VARNEL_RELEASE_DATE 2026-12-07)
set(VARNEL_MAINTAINER "Varnel developers <developers@varnel.invalid>")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

# Reads FILE into VAR and configures again when FILE changes.
function(varnel_read_source var file)
  file(READ ${file} text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

if(WIN32)
  # The read-me as every Notepad since Windows 7 shows it right: UTF-8 with a byte-order mark
  # (without one, older Notepads guess a code page and garble the accents) and CRLF line ends
  # (before Windows 10, Notepad runs LF-only lines together).
  string(ASCII 239 187 191 bom)
  varnel_read_source(readme ${packaging}/README-windows.txt.in)
  file(CONFIGURE OUTPUT ${generated}/LEGGIMI-README.txt CONTENT "${bom}${readme}" @ONLY
       NEWLINE_STYLE CRLF)

  # The program and the read-me, in one .zip.
  set(zip_dir ${PROJECT_BINARY_DIR}/zip/varnel)
  set(zip ${PROJECT_BINARY_DIR}/varnel-${PROJECT_VERSION}-win64.zip)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:varnel> ${zip_dir}/varnel.exe
    COMMAND ${CMAKE_COMMAND} -E copy ${generated}/LEGGIMI-README.txt ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/zip
            ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip varnel
    DEPENDS varnel ${generated}/LEGGIMI-README.txt)
  add_custom_target(windows_zip ALL DEPENDS ${zip})
  add_test(NAME windows_zip
           COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/windows_zip.sh ${zip} ${PROJECT_VERSION})
  return()
endif()

# Debian's date format for the changelog's trailer line.
execute_process(COMMAND date -u -R -d "${VARNEL_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE VARNEL_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# The copyright file in Debian's machine-readable format, from LICENSE: its notice and its terms.
varnel_read_source(license ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT license MATCHES "^MIT License\n\nCopyright ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE: expected the MIT licence's title, the notice, then the terms")
endif()
set(notice "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n+$" "" terms "${CMAKE_MATCH_2}")
string(REGEX REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REGEX REPLACE "\n" "\n " terms "${terms}")
file(CONFIGURE OUTPUT ${generated}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Varnel
Upstream-Contact: ${VARNEL_MAINTAINER}

Files: *
Copyright: ${notice}
License: Expat
 ${terms}
")

# Manual pages and the changelog go in gzip -9n, as Debian ships them: no name, no time stamp.
set(gzipped)
foreach(file varnel.1 varnel-reader.1 changelog)
  configure_file(${packaging}/${file}.in ${generated}/${file} @ONLY)
  add_custom_command(OUTPUT ${generated}/${file}.gz
                     COMMAND gzip -9nkf ${generated}/${file}
                     DEPENDS ${generated}/${file})
  list(APPEND gzipped ${generated}/${file}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${gzipped})
configure_file(${packaging}/org.varnel.Varnel.metainfo.xml.in
               ${generated}/org.varnel.Varnel.metainfo.xml @ONLY)

install(FILES ${generated}/varnel.1.gz ${generated}/varnel-reader.1.gz DESTINATION share/man/man1)
install(FILES ${generated}/copyright ${generated}/changelog.gz DESTINATION share/doc/varnel)
install(FILES ${generated}/org.varnel.Varnel.metainfo.xml DESTINATION share/metainfo)

set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_CONTACT "${VARNEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host side of a one-key bar-code reader")
# Read here, not through CPACK_PACKAGE_DESCRIPTION_FILE, which cpack XML-escapes (' as &apos;).
varnel_read_source(CPACK_DEBIAN_PACKAGE_DESCRIPTION ${packaging}/description.txt)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its X11 platform plugin at run time: no library links to it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)

# The direct link to the reader: on a Wayland desktop the window runs on Qt's Wayland platform.
# (The link's udev rule is installed with the program, in src/CMakeLists.txt.)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
