# What goes onto a line PC: install rules and the Debian package (cpack -G DEB)
# with the programs, the desktop entry and icon, the udev rules for the units'
# serial ports and the documentation. Install rules only: nothing here
# changes what the build makes or what the tests see.

set(KORVEL_USB_IDS "0483:5740" CACHE STRING
  "USB vendor:product IDs of the programmer units for the package's udev rules (a list, e.g. 0483:5740;1234:abcd)")

include(KorvelUdevRules)
korvel_udev_rules("${KORVEL_USB_IDS}" KORVEL_UDEV_RULES korvel_udev_error)
if(korvel_udev_error)
  message(FATAL_ERROR "KORVEL_USB_IDS: ${korvel_udev_error}")
endif()
set(KORVEL_UDEV_RULES_FILE ${PROJECT_BINARY_DIR}/packaging/60-korvel-units.rules)
configure_file(${PROJECT_SOURCE_DIR}/packaging/60-korvel-units.rules.in ${KORVEL_UDEV_RULES_FILE} @ONLY)

foreach(program korvelst korvelsim korvelimg)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()
if(TARGET korvelst)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/korvelst.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/korvelst.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()
# Not under /etc: the administrator's own rules there override ours by name.
install(FILES ${KORVEL_UDEV_RULES_FILE} DESTINATION lib/udev/rules.d)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/korvel)
# The README shows it by its relative path, so it keeps that path beside it.
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/screenshot.png)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png DESTINATION share/doc/korvel/docs)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_CONTACT "Korvel line tools <korvel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Host of the Korvel gang programmer for STM8 and STM32 chips")
set(CPACK_PACKAGE_DESCRIPTION
"Drives up to ten programmer units on USB serial ports, from one window or
from scripts: download a job, then blank check, erase, program, verify and
write option bytes on all channels at once, with serial numbers, counters,
log files and a record of every chip. Includes korvelsim (simulated
programmer units) and korvelimg (image files, chips, projects and option
bytes on the command line).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt and C++ runtime packages come from what the programs link; the
# platform plugins (xcb, offscreen) are loaded at run time, so no linker
# tells about them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The window's texts are mostly Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/deb/postinst ${PROJECT_SOURCE_DIR}/packaging/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
