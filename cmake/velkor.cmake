# Shared settings and helpers of both builds.
if(MSVC)
  add_compile_options(/W4)
else()
  add_compile_options(-Wall -Wextra)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  if(MINGW)
    # No MinGW runtime DLLs beside the binaries.
    add_link_options(-static -static-libgcc -static-libstdc++)
  endif()
else()
  option(VELKOR_SANITIZE "Build the native tests with AddressSanitizer and UBSan" ON)
  if(VELKOR_SANITIZE)
    # -O1 keeps the sanitizers' reports exact and makes the fuzz runs several times faster.
    add_compile_options(-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Product code must also build with MSVC: no compiler extensions of GCC or clang.
function(velkor_standard_only target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE -pedantic-errors)
  endif()
endfunction()

# velkor_library(name folder [DEPENDS libs...]): a static library of the folder's portable
# sources, plus its *_win.cpp files in the Windows build. Folders without sources give an
# interface library so that the chain of dependencies stays whole.
function(velkor_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(folder STREQUAL "src/platform")
    if(WIN32)
      file(GLOB extra CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
    else()
      file(GLOB extra CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/posix/*.cpp)
    endif()
    list(APPEND sources ${extra})
  endif()
  if(NOT WIN32)
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  # Entry points of executables live in files named *_main*.cpp and are not library code.
  list(FILTER sources EXCLUDE REGEX "_main(_win)?\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    velkor_standard_only(${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/libs)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/libs)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
  if(WIN32)
    set(syslibs)
    if(folder STREQUAL "src/platform")
      set(syslibs shlwapi shell32 user32 kernel32)
    else()
      set(syslibs gdiplus msimg32 gdi32 user32 shell32 shlwapi ole32 uuid setupapi hid)
    endif()
    if(sources)
      target_link_libraries(${name} PUBLIC ${syslibs})
    else()
      target_link_libraries(${name} INTERFACE ${syslibs})
    endif()
  endif()
endfunction()

if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # Coverage for the fuzz targets; harmless for everything else.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(VELKOR_DIST_DIR ${PROJECT_SOURCE_DIR}/build/dist CACHE PATH "Where `make dist` lays out the program folders")
# The one WINEDLLOVERRIDES entry that makes Wine take the simulated system HID layer of
# dist/hidtest in place of its own.
set(VELKOR_HIDTEST_OVERRIDES "setupapi,hid=n,b")
