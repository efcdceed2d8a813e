# The udev rules for the programmer units' serial ports, made from a list of
# USB vendor:product IDs. Kept apart from the install rules so that a script
# (cmake -P) can check what a list of IDs gives.

# korvel_udev_rules(<ids> <out_rules> <out_error>)
# <ids>: "VVVV:PPPP" entries, separated by ';', ',' or blanks. On a bad
# entry <out_error> names it and <out_rules> is empty: a mistyped ID would
# give a rule that silently matches nothing on the line PC.
function(korvel_udev_rules ids out_rules out_error)
  string(REGEX REPLACE "[,; \t\r\n]+" ";" entries "${ids}")
  list(REMOVE_ITEM entries "")
  set(rules "")
  set(error "")
  set(seen "")
  if(NOT entries)
    set(error "no USB vendor:product ID given")
  endif()
  foreach(entry IN LISTS entries)
    if(NOT entry MATCHES "^([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]):([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])$")
      set(error "\"${entry}\" is not a USB vendor:product ID (four hex digits each, e.g. 0483:5740)")
      break()
    endif()
    # sysfs writes the IDs in lower case and udev compares them as text.
    string(TOLOWER "${CMAKE_MATCH_1}" vendor)
    string(TOLOWER "${CMAKE_MATCH_2}" product)
    if("${vendor}:${product}" IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${vendor}:${product}")
    string(APPEND rules
      "# ${vendor}:${product}\n"
      "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"${vendor}\", ATTR{idProduct}==\"${product}\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
      "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"${vendor}\", ATTRS{idProduct}==\"${product}\", GROUP=\"dialout\", MODE=\"0660\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n")
  endforeach()
  if(error)
    set(rules "")
  endif()
  set(${out_rules} "${rules}" PARENT_SCOPE)
  set(${out_error} "${error}" PARENT_SCOPE)
endfunction()
