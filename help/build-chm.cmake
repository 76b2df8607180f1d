# Compiles the help pages into Help.chm with chmcmd and fails on any warning of it
# (a broken link, a missing file, a duplicate anchor), then puts the file in place.
# cmake -DCHMCMD=<chmcmd> -DPROJECT=<Help.hhp> -DWORK=<scratch dir> -DOUTPUT=<Help.chm> -P build-chm.cmake
foreach(var CHMCMD PROJECT WORK OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "build-chm.cmake: ${var} is not set")
    endif()
endforeach()

# chmcmd writes the compiled file into its working folder, named by the project.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CHMCMD} --verbosity 1 ${PROJECT}
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR out MATCHES "(Warning|Error|rror:)")
    message(FATAL_ERROR "chmcmd failed on ${PROJECT} (exit ${status}):\n${out}")
endif()
if(NOT EXISTS ${WORK}/Help.chm)
    message(FATAL_ERROR "chmcmd wrote no Help.chm:\n${out}")
endif()
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${WORK}/Help.chm ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot copy Help.chm to ${OUTPUT}")
endif()
