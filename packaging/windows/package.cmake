# Makes the Windows release from the monitor put together in SOURCE_DIR, into DIST_DIR:
#   KORVALDZ314MON-<VERSION>-setup.exe   the per-user installer (installer.nsi, NSIS)
#   KORVALDZ314MON-<VERSION>-win64.zip   the portable copy, with README.txt
#   SHA256SUMS                           the checksums of both
# Run with cmake -P; every -D below is required.
#   -DMAKENSIS= -DVERSION= -DPRODUCT= -DPUBLISHER= -DSOURCE_DIR= -DDIST_DIR= -DWORK_DIR=
foreach(name MAKENSIS VERSION PRODUCT PUBLISHER SOURCE_DIR DIST_DIR WORK_DIR)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "package.cmake needs -D${name}=")
  endif()
endforeach()
set(packaging ${CMAKE_CURRENT_LIST_DIR})
set(setup KORVALDZ314MON-${VERSION}-setup.exe)
set(zip KORVALDZ314MON-${VERSION}-win64.zip)
file(MAKE_DIRECTORY ${DIST_DIR})

# The installer. makensis wants Windows-style separators in File instructions; "/" works too.
execute_process(
  COMMAND ${MAKENSIS} -V2 -NOCD "-DVERSION=${VERSION}" "-DPRODUCT=${PRODUCT}"
          "-DPUBLISHER=${PUBLISHER}" "-DSOURCE_DIR=${SOURCE_DIR}" "-DOUTPUT=${DIST_DIR}/${setup}"
          ${packaging}/installer.nsi
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "makensis failed (${result})")
endif()

# The portable copy: one folder with the monitor's files and the read-me.
set(stage ${WORK_DIR}/KORVALDZ314)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${stage}/images/0409/icons)
foreach(file KORVALDZ314MON.EXE uiHook.dll config.ini LanguageTranslate.exe)
  file(COPY ${SOURCE_DIR}/${file} DESTINATION ${stage})
endforeach()
foreach(icon logo.ico logo_muted.ico logo_light_taskbar.ico logo_muted_light_taskbar.ico)
  file(COPY ${SOURCE_DIR}/images/0409/icons/${icon} DESTINATION ${stage}/images/0409/icons)
endforeach()
set(MON_PRODUCT_NAME ${PRODUCT})
set(PROJECT_VERSION ${VERSION})
configure_file(${packaging}/README.txt.in ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
file(REMOVE ${DIST_DIR}/${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST_DIR}/${zip} --format=zip KORVALDZ314
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the zip could not be made (${result})")
endif()

# Checksums in the form sha256sum -c reads.
set(sums "")
foreach(file ${setup} ${zip})
  file(SHA256 ${DIST_DIR}/${file} hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${DIST_DIR}/SHA256SUMS "${sums}")
file(SIZE ${DIST_DIR}/${setup} size)
message(STATUS "packaged ${setup} (${size} bytes), ${zip} and SHA256SUMS in ${DIST_DIR}")
