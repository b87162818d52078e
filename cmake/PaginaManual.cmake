# Writes the gzipped man page of PROGRAMA from its own --help and --version.
# cmake -DPROGRAMA=... -DSALIDA=....1.gz -DINCLUIR=... -P PaginaManual.cmake
# The NAME line and the extra sections come from INCLUIR.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
get_filename_component(pagina ${SALIDA} NAME_WLE)
get_filename_component(dir ${SALIDA} DIRECTORY)
set(temporal ${dir}/${pagina})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
          ${HELP2MAN} --no-info --section=1 --manual=Compras --locale=C.UTF-8
          --include=${INCLUIR} --output=${temporal} ${PROGRAMA}
  RESULT_VARIABLE rc TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man falló con ${PROGRAMA}: ${rc}")
endif()
# Headings in Spanish, like the rest of the page.
file(READ ${temporal} texto)
foreach(par "NAME;NOMBRE" "SYNOPSIS;SINOPSIS" "DESCRIPTION;DESCRIPCIÓN")
  list(GET par 0 de)
  list(GET par 1 a)
  string(REPLACE ".SH ${de}\n" ".SH ${a}\n" texto "${texto}")
endforeach()
file(WRITE ${temporal} "${texto}")
# -n: no name or time stamp, so the same sources give the same package.
execute_process(COMMAND ${GZIP} -n -9 -f ${temporal} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip falló con ${temporal}")
endif()
