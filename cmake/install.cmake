# What `cmake --install build [--prefix PREFIX]` puts in place:
#
#   bin/                    talmo-regsvr, talmo-dbtool, TalmoDemo
#   LIBDIR/                 libtalmo_automation.so, the library every client links
#   LIBDIR/talmo/           libTalmo.so and libDbClient.so, the component libraries that the
#                           registry loads, with the client's messages fin.etx (en/fin.etx)
#   include/automation/     the automation layer's headers
#   LIBDIR/cmake/Talmo/     find_package(Talmo): the target Talmo::automation
#   LIBDIR/pkgconfig/       talmo-automation.pc
#   TALMO_INSTALL_PYTHONDIR the Python module talmo
#
# Everything installed finds the libraries it needs through RPATHs relative to itself, so
# the tree works wherever it is put. After installing, register the component once:
#   PREFIX/bin/talmo-regsvr PREFIX/LIBDIR/talmo/libTalmo.so PREFIX/LIBDIR/talmo/libDbClient.so
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TALMO_INSTALL_COMPONENTDIR ${CMAKE_INSTALL_LIBDIR}/talmo)
set(TALMO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Talmo)

# The path from the folder `from` to the folder `to`, both relative to the prefix.
function(talmo_relative_path out from to)
  cmake_path(APPEND path /prefix ${to})
  cmake_path(RELATIVE_PATH path BASE_DIRECTORY /prefix/${from})
  set(${out} ${path} PARENT_SCOPE)
endfunction()

# The RPATH that leads from `dir` (relative to the prefix) to each of the folders that follow.
function(talmo_install_rpath target dir)
  set(rpath "")
  foreach(lib_dir ${ARGN})
    talmo_relative_path(relative ${dir} ${lib_dir})
    list(APPEND rpath "$ORIGIN/${relative}")
  endforeach()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
endfunction()

# The automation layer, exported for find_package(Talmo).
set_target_properties(talmo_automation PROPERTIES EXPORT_NAME automation)
install(TARGETS talmo_automation EXPORT TalmoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/automation/include/automation
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT TalmoTargets NAMESPACE Talmo:: DESTINATION ${TALMO_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TalmoConfig.cmake.in
  ${CMAKE_BINARY_DIR}/TalmoConfig.cmake
  INSTALL_DESTINATION ${TALMO_INSTALL_CMAKEDIR}
  PATH_VARS TALMO_INSTALL_COMPONENTDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TalmoConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TalmoConfig.cmake ${CMAKE_BINARY_DIR}/TalmoConfigVersion.cmake
  DESTINATION ${TALMO_INSTALL_CMAKEDIR})

# pkg-config finds the prefix from where the file lies, so it is right under any prefix.
talmo_relative_path(TALMO_PC_TO_PREFIX ${CMAKE_INSTALL_LIBDIR}/pkgconfig "")
configure_file(${CMAKE_CURRENT_LIST_DIR}/talmo-automation.pc.in
  ${CMAKE_BINARY_DIR}/talmo-automation.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/talmo-automation.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The component libraries and the client's message files beside them, where the component
# looks for fin.etx when the INI file's LibPath names this folder.
foreach(target Talmo talmo_dbclient)
  talmo_install_rpath(${target} ${TALMO_INSTALL_COMPONENTDIR} ${CMAKE_INSTALL_LIBDIR})
  install(TARGETS ${target} LIBRARY DESTINATION ${TALMO_INSTALL_COMPONENTDIR})
endforeach()
install(FILES ${TALMO_BIN_DIR}/fin.etx DESTINATION ${TALMO_INSTALL_COMPONENTDIR})
install(FILES ${TALMO_BIN_DIR}/en/fin.etx DESTINATION ${TALMO_INSTALL_COMPONENTDIR}/en)

# talmo-dbtool links the database client itself.
foreach(target talmo-regsvr talmo-dbtool TalmoDemo)
  if(TARGET ${target})
    talmo_install_rpath(${target} ${CMAKE_INSTALL_BINDIR}
      ${CMAKE_INSTALL_LIBDIR} ${TALMO_INSTALL_COMPONENTDIR})
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET talmo_python)
  talmo_install_rpath(talmo_python ${TALMO_INSTALL_PYTHONDIR} ${CMAKE_INSTALL_LIBDIR})
  install(TARGETS talmo_python LIBRARY DESTINATION ${TALMO_INSTALL_PYTHONDIR})
endif()
