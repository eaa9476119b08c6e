# Installs the engine's package into a staging folder, checks that every
# installed header compiles on its own, then builds a small program against it
# twice (find_package and pkg-config) and compares what it computes with
# vornel-eval. Arguments (-D): BUILD_DIR, STAGE, CONSUMER_DIR, VORNEL_EVAL, CXX,
# GENERATOR, FLAGS (extra compiler and linker flags, a ;-list).

set(failures "")
macro(fail text)
    list(APPEND failures "${text}")
endmacro()

function(run_or_die)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(result)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${command}\n failed (${result}):\n${out}${err}")
    endif()
endfunction()

set(prefix "${STAGE}/usr")
file(REMOVE_RECURSE "${STAGE}")
run_or_die("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}" --component dev)

# Every public header compiles on its own, with nothing but the installed
# include folder: so none of them reaches a private one.
file(GLOB headers RELATIVE "${prefix}/include" "${prefix}/include/vornel/*.h")
if(NOT headers)
    fail("no headers installed under ${prefix}/include/vornel")
endif()
foreach(header ${headers})
    string(MAKE_C_IDENTIFIER "${header}" stem)
    file(WRITE "${STAGE}/${stem}.cpp" "#include <${header}>\n")
    execute_process(COMMAND "${CXX}" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror
                            -I "${prefix}/include" "${STAGE}/${stem}.cpp"
                    RESULT_VARIABLE result ERROR_VARIABLE err)
    if(result)
        fail("${header} does not compile on its own:\n${err}")
    endif()
endforeach()

# The consumer, built with CMake's package...
list(JOIN FLAGS " " flag_text)
run_or_die("${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${STAGE}/with-cmake" -G "${GENERATOR}"
           "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_PREFIX_PATH=${prefix}"
           "-DCMAKE_CXX_FLAGS=${flag_text}" "-DCMAKE_EXE_LINKER_FLAGS=${flag_text}")
run_or_die("${CMAKE_COMMAND}" --build "${STAGE}/with-cmake")
# ...and with pkg-config.
file(GLOB pc_file "${prefix}/lib*/pkgconfig/vornel.pc" "${prefix}/lib/*/pkgconfig/vornel.pc")
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${pc_dir}"
                        pkg-config --cflags --libs vornel
                OUTPUT_VARIABLE pc_flags RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
if(result)
    message(FATAL_ERROR "pkg-config does not know vornel (looked in '${pc_dir}')")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run_or_die("${CXX}" -std=c++20 ${FLAGS} "${CONSUMER_DIR}/main.cpp" ${pc_flags}
           -o "${STAGE}/with-pkg-config")

# The same formulas through vornel-eval and through both builds.
set(variables A=100 B=200 C=300 D=400 E=500)
set(formulas
    "A+B"
    "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)"
    "If (B+C>=300) Then A*100+Round(B/C,3)-Exp(D,2) Else 0 EndIf"
    "1/0"
    "2*-3"
    "IF (TRUE) THEN 1 ENDIF"
    "Max(1)"
    "x+1"
    "0.1+0.2")
set(cli_variables "")
foreach(v ${variables})
    list(APPEND cli_variables -v "${v}")
endforeach()
foreach(formula IN LISTS formulas)
    execute_process(COMMAND "${VORNEL_EVAL}" --raw ${cli_variables} -- "${formula}"
                    OUTPUT_VARIABLE value ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(number 0)
    if(err MATCHES "Error Number-([0-9]+)")
        set(number "${CMAKE_MATCH_1}")
    endif()
    foreach(program "${STAGE}/with-cmake/consumer" "${STAGE}/with-pkg-config")
        execute_process(COMMAND "${program}" ${variables} "${formula}"
                        OUTPUT_VARIABLE got OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT got STREQUAL "${value} ${number}")
            fail("${program} '${formula}': got '${got}', vornel-eval gives '${value} ${number}'")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " report)
    message(FATAL_ERROR "the installed engine package:\n  ${report}")
endif()
message(STATUS "the installed engine package builds and agrees with vornel-eval")
