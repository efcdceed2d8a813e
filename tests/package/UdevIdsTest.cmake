cmake_minimum_required(VERSION 3.25)
# The udev rules made from KORVEL_USB_IDS: every accepted way of writing the
# list, and the mistakes that would otherwise give rules matching nothing.
include(${MODULE_DIR}/KorvelUdevRules.cmake)

set(failures 0)
macro(fail what)
  message(SEND_ERROR "${what}")
  math(EXPR failures "${failures} + 1")
endmacro()

# Cases are "IDS|EXPECTED"; "+" in IDS stands for ";", which a CMake list
# inside a list cannot hold.
# Accepted lists: text, the IDs (lower case, in order, once each) the rules must name.
set(good_cases
  "0483:5740|0483:5740"
  "0483:5740+1234:ABCD|0483:5740,1234:abcd"
  "0483:5740, 1234:abcd|0483:5740,1234:abcd"
  " 0483:5740  1234:abcd |0483:5740,1234:abcd"
  "0483:5740+0483:5740|0483:5740")
foreach(case IN LISTS good_cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 ids)
  string(REPLACE "+" ";" ids "${ids}")
  list(GET parts 1 expected)
  string(REPLACE "," ";" expected "${expected}")
  korvel_udev_rules("${ids}" rules error)
  if(error)
    fail("'${ids}': refused: ${error}")
    continue()
  endif()
  string(REGEX MATCHALL "SUBSYSTEM==\"tty\"[^\n]*" tty_rules "${rules}")
  list(LENGTH tty_rules tty_count)
  list(LENGTH expected expected_count)
  if(NOT tty_count EQUAL expected_count)
    fail("'${ids}': ${tty_count} tty rules, expected ${expected_count}")
  endif()
  foreach(id IN LISTS expected)
    string(REPLACE ":" ";" vp "${id}")
    list(GET vp 0 vendor)
    list(GET vp 1 product)
    set(tty "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"${vendor}\", ATTRS{idProduct}==\"${product}\", GROUP=\"dialout\", MODE=\"0660\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"")
    set(usb "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"${vendor}\", ATTR{idProduct}==\"${product}\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"")
    string(FIND "${rules}" "${tty}" tty_at)
    string(FIND "${rules}" "${usb}" usb_at)
    if(tty_at EQUAL -1 OR usb_at EQUAL -1)
      fail("'${ids}': no rules for ${id} in:\n${rules}")
    endif()
  endforeach()
endforeach()

# Refused lists, with a piece of text the reason must hold.
set(bad_cases
  "|no USB vendor"
  " , |no USB vendor"
  "0483|\"0483\""
  "0483:574|\"0483:574\""
  "0483:57400|\"0483:57400\""
  "0483-5740|\"0483-5740\""
  "0x0483:0x5740|\"0x0483:0x5740\""
  "0483:5740+g483:5740|\"g483:5740\"")
foreach(case IN LISTS bad_cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 ids)
  string(REPLACE "+" ";" ids "${ids}")
  list(GET parts 1 reason)
  korvel_udev_rules("${ids}" rules error)
  if(NOT error)
    fail("'${ids}': accepted, giving:\n${rules}")
  elseif(NOT rules STREQUAL "")
    fail("'${ids}': refused but still gave rules")
  else()
    string(FIND "${error}" "${reason}" at)
    if(at EQUAL -1)
      fail("'${ids}': reason '${error}' does not hold '${reason}'")
    endif()
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} udev ID case(s) failed")
endif()
