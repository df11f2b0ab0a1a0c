# Installs the build tree into a fresh prefix under WORK_DIR, checks what was installed, then
# configures, builds and runs the outside project in consumer/ against that prefix.
#
#   cmake -DBUILD_DIR=... -DINSTALL_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCONFIG=...
#         -DGENERATOR=... -DCXX_COMPILER=... [-DCXX_COMPILER_LAUNCHER=a|b] [-DCXX_FLAGS=...]
#         [-DSANITIZE=ON] -P consumer_test.cmake
#
# BUILD_DIR is the top of the build tree, INSTALL_DIR the project's own binary directory in it
# (the same unless the project was added with add_subdirectory). WORK_DIR is emptied first, so a
# run never sees what an earlier one left.
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR INSTALL_DIR SOURCE_DIR WORK_DIR CONFIG GENERATOR CXX_COMPILER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consumer_test: ${var} is not set")
  endif()
endforeach()

set(prefix ${WORK_DIR}/prefix)
set(consumer_build ${WORK_DIR}/consumer)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "consumer_test: '${command}' failed: ${rc}")
  endif()
endfunction()

# The libraries may not be built yet when the tree was only configured.
run(${CMAKE_COMMAND} --build ${BUILD_DIR} --config ${CONFIG} --target jorv_framework stats_provider
    jorv_remote)
run(${CMAKE_COMMAND} --install ${INSTALL_DIR} --config ${CONFIG} --prefix ${prefix})

# Every header of the library is installed under include/ at its repository path.
file(GLOB_RECURSE headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/framework/*.h
     ${SOURCE_DIR}/stats/*.h)
list(LENGTH headers count)
if(count EQUAL 0)
  message(FATAL_ERROR "consumer_test: no headers found under ${SOURCE_DIR}")
endif()
foreach(header IN LISTS headers)
  if(NOT EXISTS ${prefix}/include/${header})
    message(FATAL_ERROR "consumer_test: ${header} was not installed")
  endif()
endforeach()

# The export names only the three libraries and what they need from outside.
file(GLOB exports ${prefix}/lib*/cmake/StatsProvider/StatsProviderTargets*.cmake)
if(NOT exports)
  message(FATAL_ERROR "consumer_test: no exported targets under ${prefix}")
endif()
foreach(export IN LISTS exports)
  file(READ ${export} text)
  foreach(leak stats_provider_warnings GTest ${SOURCE_DIR} ${BUILD_DIR})
    string(FIND "${text}" "${leak}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "consumer_test: ${export} mentions ${leak}")
    endif()
  endforeach()
endforeach()

set(configure_args -S ${CMAKE_CURRENT_LIST_DIR}/consumer -B ${consumer_build} -G ${GENERATOR}
                   -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=${CONFIG}
                   -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
if(CXX_COMPILER_LAUNCHER)
  string(REPLACE "|" ";" launcher "${CXX_COMPILER_LAUNCHER}")
  list(APPEND configure_args "-DCMAKE_CXX_COMPILER_LAUNCHER=${launcher}")
endif()
# A sanitized library needs the sanitizer runtime in the program that links it.
if(SANITIZE)
  string(APPEND CXX_FLAGS " -fsanitize=address,undefined -fno-omit-frame-pointer")
  list(APPEND configure_args -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
endif()
if(CXX_FLAGS)
  list(APPEND configure_args "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
endif()

run(${CMAKE_COMMAND} ${configure_args})

# The package must come from the fresh prefix, not from anywhere else on the machine.
file(STRINGS ${consumer_build}/CMakeCache.txt found REGEX "^StatsProvider_DIR:")
if(NOT found MATCHES "=${prefix}/")
  message(FATAL_ERROR "consumer_test: package found elsewhere: ${found}")
endif()

run(${CMAKE_COMMAND} --build ${consumer_build} --config ${CONFIG})
foreach(name consumer remote_consumer)
  file(GLOB_RECURSE programs ${consumer_build}/${name} ${consumer_build}/*/${name})
  if(NOT programs)
    message(FATAL_ERROR "consumer_test: the ${name} program was not built")
  endif()
  list(GET programs 0 program)
  run(${program})
endforeach()
