# The eight payloads written out by the program, embedded into nimbo_resources
# with .incbin: the adb tool from the installed adb package, the companion
# package built here as a zip archive, and our own files for the rest.
set(NIMBO_PAYLOAD_DIR ${CMAKE_CURRENT_LIST_DIR})
set(NIMBO_PAYLOAD_OUT ${CMAKE_CURRENT_BINARY_DIR}/payloads)
file(MAKE_DIRECTORY ${NIMBO_PAYLOAD_OUT})

if(WIN32)
  # adb for Windows is not in Debian: scripts/build-windows passes the folder
  # that holds adb.exe and its two libraries when it is given one. Without it
  # the program runs the adb.exe beside itself or on PATH.
  set(NIMBO_WINDOWS_ADB_DIR "" CACHE PATH "Folder with adb.exe, AdbWinApi.dll and AdbWinUsbApi.dll")
  set(NIMBO_ADB_FILE "")
  if(NIMBO_WINDOWS_ADB_DIR AND EXISTS ${NIMBO_WINDOWS_ADB_DIR}/adb.exe)
    set(NIMBO_ADB_FILE ${NIMBO_WINDOWS_ADB_DIR}/adb.exe)
  endif()
else()
  find_program(NIMBO_ADB_PROGRAM adb PATHS /usr/lib/android-sdk/platform-tools NO_DEFAULT_PATH)
  if(NOT NIMBO_ADB_PROGRAM)
    find_program(NIMBO_ADB_PROGRAM adb)
  endif()
  if(NIMBO_SYSTEM_ADB)
    # A program without payload 1 runs the system's adb (src/adbtool/adb_program.h).
    set(NIMBO_ADB_FILE "")
  elseif(NIMBO_ADB_PROGRAM)
    file(REAL_PATH ${NIMBO_ADB_PROGRAM} NIMBO_ADB_FILE)
  else()
    message(WARNING "adb not found: payload 1 is left out and will not be written")
    set(NIMBO_ADB_FILE "")
  endif()
endif()

set(quillet_sources ${NIMBO_PAYLOAD_DIR}/quillet/AndroidManifest.xml
                    ${NIMBO_PAYLOAD_DIR}/quillet/classes.dex)
add_custom_command(
  OUTPUT ${NIMBO_PAYLOAD_OUT}/quillet.apk
  COMMAND ${CMAKE_COMMAND} -E rm -f ${NIMBO_PAYLOAD_OUT}/quillet.apk
  COMMAND ${CMAKE_COMMAND} -E tar cf ${NIMBO_PAYLOAD_OUT}/quillet.apk --format=zip
          --mtime=2012-08-27 AndroidManifest.xml classes.dex
  WORKING_DIRECTORY ${NIMBO_PAYLOAD_DIR}/quillet
  DEPENDS ${quillet_sources}
  COMMENT "Packing quillet.apk"
  VERBATIM)

# resource id -> file embedded under it (161: the udev rule of the driver package)
set(NIMBO_PAYLOAD_IDS 138 139 140 141 142 145 159 160 161)
set(NIMBO_PAYLOAD_FILE_138 "${NIMBO_ADB_FILE}")
set(NIMBO_PAYLOAD_FILE_139 ${NIMBO_PAYLOAD_DIR}/adb/AdbWinApi.dll)
set(NIMBO_PAYLOAD_FILE_140 ${NIMBO_PAYLOAD_OUT}/quillet.apk)
set(NIMBO_PAYLOAD_FILE_141 ${NIMBO_PAYLOAD_DIR}/driver/android_winusb.inf)
set(NIMBO_PAYLOAD_FILE_142 ${NIMBO_PAYLOAD_DIR}/driver/androidwinusb86.cat)
set(NIMBO_PAYLOAD_FILE_145 ${NIMBO_PAYLOAD_DIR}/driver/i386/WdfCoInstaller01007.dll)
set(NIMBO_PAYLOAD_FILE_159 ${NIMBO_PAYLOAD_DIR}/driver/i386/WinUSBCoInstaller.dll)
set(NIMBO_PAYLOAD_FILE_160 ${NIMBO_PAYLOAD_DIR}/driver/i386/WUDFUpdate_01007.dll)
set(NIMBO_PAYLOAD_FILE_161 ${NIMBO_PAYLOAD_DIR}/driver/51-android.rules)
if(WIN32 AND NIMBO_ADB_FILE)
  set(NIMBO_PAYLOAD_FILE_139 ${NIMBO_WINDOWS_ADB_DIR}/AdbWinApi.dll)
  # 162: adb's WinUSB library, written beside adb.exe with payloads 1 to 3.
  list(APPEND NIMBO_PAYLOAD_IDS 162)
  set(NIMBO_PAYLOAD_FILE_162 ${NIMBO_WINDOWS_ADB_DIR}/AdbWinUsbApi.dll)
endif()

# 32-bit Windows gives C names a leading underscore at the assembly level.
set(sym "")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(sym "_")
endif()
set(asm "/* Generated from resources/payloads/payloads.cmake. */\n")
set(table "")
set(embedded_files "")
foreach(id ${NIMBO_PAYLOAD_IDS})
  set(f "${NIMBO_PAYLOAD_FILE_${id}}")
  if(f STREQUAL "")
    continue()
  endif()
  list(APPEND embedded_files ${f})
  if(WIN32)
    # PE/COFF: a read-only data section; no symbol visibility to set.
    string(APPEND asm
      "    .section .rdata$nimbo_payload_${id},\"dr\"\n"
      "    .balign 16\n"
      "    .globl ${sym}nimbo_payload_${id}_begin\n"
      "    .globl ${sym}nimbo_payload_${id}_end\n")
  else()
    string(APPEND asm
      "    .section .rodata.nimbo_payload_${id},\"a\",@progbits\n"
      "    .balign 16\n"
      "    .globl ${sym}nimbo_payload_${id}_begin\n    .hidden ${sym}nimbo_payload_${id}_begin\n"
      "    .globl ${sym}nimbo_payload_${id}_end\n    .hidden ${sym}nimbo_payload_${id}_end\n")
  endif()
  string(APPEND asm
    "${sym}nimbo_payload_${id}_begin:\n"
    "    .incbin \"${f}\"\n"
    "${sym}nimbo_payload_${id}_end:\n")
  string(APPEND table "NIMBO_PAYLOAD(${id})\n")
endforeach()
if(NOT WIN32)
  string(APPEND asm "    .section .note.GNU-stack,\"\",@progbits\n")
endif()
# The adb program's file name on this system.
if(WIN32)
  target_compile_definitions(nimbo_resources PRIVATE NIMBO_ADB_FILE_NAME="adb.exe")
endif()
file(CONFIGURE OUTPUT ${NIMBO_PAYLOAD_OUT}/payload_data.S CONTENT "${asm}")
file(CONFIGURE OUTPUT ${NIMBO_PAYLOAD_OUT}/payload_list.inc CONTENT "${table}")

set_source_files_properties(${NIMBO_PAYLOAD_OUT}/payload_data.S PROPERTIES
  OBJECT_DEPENDS "${embedded_files}")
target_sources(nimbo_resources PRIVATE
  ${NIMBO_PAYLOAD_DIR}/payloads.cpp ${NIMBO_PAYLOAD_OUT}/payload_data.S
  ${NIMBO_PAYLOAD_OUT}/quillet.apk)
target_include_directories(nimbo_resources PRIVATE ${NIMBO_PAYLOAD_OUT})
