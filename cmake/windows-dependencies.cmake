# The Windows build's libraries, all static, from the prefix scripts/windows-deps.sh
# fills (VELMORIA_WINDOWS_DEPS, set by the toolchain file). The targets carry the
# names the Linux build gets from pkg-config and CMake's find modules, so the
# folders' CMakeLists link the same names on both platforms.
enable_language(RC)
# Only Windows' own DLLs at run time: the C and C++ runtimes and winpthreads are
# linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
# windows.h, which MinGW-w64's GL headers include, without its min and max macros
# and the rarely used parts of the API.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

function(velmoria_windows_library target library include_dir)
  find_library(velmoria_${library}_path NAMES ${library} lib${library} PATHS ${VELMORIA_WINDOWS_DEPS}/lib
    NO_DEFAULT_PATH REQUIRED)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${velmoria_${library}_path}
    INTERFACE_INCLUDE_DIRECTORIES ${VELMORIA_WINDOWS_DEPS}/${include_dir})
endfunction()

# SDL2 without its SDL_main: the programs keep their own main().
# Both <SDL2/SDL.h> and <SDL.h>, as sdl2.pc gives them on Linux.
velmoria_windows_library(PkgConfig::SDL2 SDL2 include/SDL2)
set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_COMPILE_DEFINITIONS SDL_MAIN_HANDLED
  INTERFACE_LINK_LIBRARIES "kernel32;user32;gdi32;winmm;imm32;ole32;oleaut32;version;uuid;advapi32;setupapi;shell32")
set_property(TARGET PkgConfig::SDL2 APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${VELMORIA_WINDOWS_DEPS}/include)

# Static libmpg123 also calls PathIsRelativeW, which its pkg-config file leaves out.
velmoria_windows_library(PkgConfig::MPG123 mpg123 include)
set_target_properties(PkgConfig::MPG123 PROPERTIES INTERFACE_LINK_LIBRARIES shlwapi)

velmoria_windows_library(PkgConfig::KISSFFT kissfft-float include/kissfft)

velmoria_windows_library(GLEW::GLEW glew32 include)
set_target_properties(GLEW::GLEW PROPERTIES INTERFACE_COMPILE_DEFINITIONS GLEW_STATIC)

find_package(OpenGL REQUIRED)  # opengl32 and glu32 of the MinGW-w64 SDK
set_property(TARGET GLEW::GLEW APPEND PROPERTY INTERFACE_LINK_LIBRARIES OpenGL::GL)

# Dear ImGui with its SDL2 and OpenGL 2 back ends, as pkg-config's imgui gives it
# on Debian: the include folder include/imgui (back ends under backends/).
# Only code that uses it needs it, so it is defined when present.
if(EXISTS ${VELMORIA_WINDOWS_DEPS}/lib/libimgui.a)
  velmoria_windows_library(PkgConfig::IMGUI imgui include/imgui)
  set_target_properties(PkgConfig::IMGUI PROPERTIES INTERFACE_LINK_LIBRARIES "PkgConfig::SDL2;OpenGL::GL")
endif()

# libpng and zlib for the capture tool's PNG files, through CMake's own modules.
set(ZLIB_USE_STATIC_LIBS ON)
