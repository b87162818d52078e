# Installation and the Debian package (cpack -G DEB, or the `paquete` target).

install(TARGETS compras_cli compras_host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS compras_modulo LIBRARY DESTINATION ${COMPRAS_DIR_MODULO})
install(DIRECTORY ${COMPRAS_REPORTS_DIR}/ DESTINATION ${COMPRAS_DIR_DATOS}/reportes)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/compras.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/compras.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Man pages from each program's --help and --version.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(paginas)
  foreach(par "compras_cli;compras" "compras_host;compras-host")
    list(GET par 0 destino)
    list(GET par 1 programa)
    set(salida ${CMAKE_BINARY_DIR}/man/${programa}.1.gz)
    add_custom_command(
      OUTPUT ${salida}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -DPROGRAMA=$<TARGET_FILE:${destino}> -DSALIDA=${salida} -DINCLUIR=${CMAKE_SOURCE_DIR}/packaging/${programa}.h2m
              -P ${CMAKE_SOURCE_DIR}/cmake/PaginaManual.cmake
      DEPENDS ${destino} ${CMAKE_SOURCE_DIR}/packaging/${programa}.h2m ${CMAKE_SOURCE_DIR}/cmake/PaginaManual.cmake
      COMMENT "Página de manual de ${programa}" VERBATIM)
    list(APPEND paginas ${salida})
  endforeach()
  add_custom_target(compras_man ALL DEPENDS ${paginas})
  install(FILES ${paginas} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "Sin help2man no hay páginas de manual (scripts/dependencias.sh lo instala)")
endif()

find_program(DPKG dpkg)
if(DPKG)
  execute_process(COMMAND ${DPKG} --print-architecture OUTPUT_VARIABLE arquitectura
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(arquitectura ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME compras)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Equipo de Compras <compras@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compras — punto de venta")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Módulo de compras para tiendas y farmacias: facturas de proveedores, inventario,\ncostos, precios de venta, caja, cuenta del proveedor y contabilidad, sobre bases\nFirebird. Incluye el punto de venta (compras-host) y la orden compras.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME compras_${PROJECT_VERSION}_${arquitectura}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${arquitectura})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the binaries link come from dpkg-shlibdeps; what they load at run time is named here:
# the embedded engine, the display plugins, Qt's Spanish translations and libcurl (e-mail).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, qt6-qpa-plugins, qt6-translations-l10n, libcurl4")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGE_FILE_NAME compras_${PROJECT_VERSION}_${arquitectura})
include(CPack)

add_custom_target(paquete
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}/paquete
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Paquete Debian en ${CMAKE_BINARY_DIR}/paquete" VERBATIM)
add_dependencies(paquete compras_cli compras_host compras_modulo)
if(TARGET compras_man)
  add_dependencies(paquete compras_man)
endif()
