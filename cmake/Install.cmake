# cmake --install: headers under include/kyt (the includes inside them resolve from
# there), the libraries with the language module beside them, the programs, a CMake
# package (find_package(kytfilter CONFIG)) and a pkg-config file for the Qt-free toolkit.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KYT_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kytfilter)

# The libraries find each other beside themselves, the programs in the library folder.
set(kyt_libraries kytsqltext kythost kytFilterBasePkg kytIBOFilterPkg kytBDEFilterPkg kytQtSqlFilterPkg)
set(kyt_export_names sqltext host FilterBase IBOFilter BDEFilter QtSqlFilter)
foreach(lib name IN ZIP_LISTS kyt_libraries kyt_export_names)
  set_target_properties(${lib} PROPERTIES EXPORT_NAME ${name} INSTALL_RPATH "$ORIGIN")
endforeach()
target_include_directories(kytsqltext INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kyt>)

set(kyt_programs kytfilter kytfilter-demo kytdesign)
foreach(program ${kyt_programs})
  file(RELATIVE_PATH to_libs ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_libs}")
endforeach()

install(TARGETS ${kyt_libraries} EXPORT kytfilterTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kyt)
install(TARGETS ${kyt_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# kytfilter's verbs beyond the SQL text: a module the program loads from the library
# folder (its run path), with the libraries beside it.
set_target_properties(kytfilter_verbs PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS kytfilter_verbs LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# Looked for beside the base package when it is loaded.
install(FILES ${PROJECT_SOURCE_DIR}/packages/lang/kytFilterBasePkg.pt DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Every public header of the shipped libraries; the private *_p.h stay behind.
foreach(dir host/rtl host/ui host/designer sqltext filtermodel filterdialog fielddefs components
            dataaccess/db dataaccess/model dataaccess/ibobjects dataaccess/bde dataaccess/qtsql packages)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kyt/${dir}
    FILES_MATCHING PATTERN "*.h" PATTERN "*_p.h" EXCLUDE PATTERN "lang" EXCLUDE)
endforeach()

install(EXPORT kytfilterTargets NAMESPACE kyt:: DESTINATION ${KYT_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kytfilterConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kytfilterConfig.cmake INSTALL_DESTINATION ${KYT_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kytfilterConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kytfilterConfig.cmake ${PROJECT_BINARY_DIR}/kytfilterConfigVersion.cmake
  DESTINATION ${KYT_INSTALL_CMAKEDIR})

# pkg-config --cflags --libs kytsqltext: the toolkit without Qt. The prefix is the one
# the files are installed under (cmake --install --prefix included).
install(CODE "
  set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/kytsqltext.pc.in\"
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/kytsqltext.pc\" @ONLY)
")
