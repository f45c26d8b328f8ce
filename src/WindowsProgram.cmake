# The program on Windows: the window in Windows' own controls (common
# controls 6), linked statically so that klavora.exe imports only Windows'
# own DLLs.
enable_language(RC)

# The window, the splash, the About box and the error box.
file(GLOB KLAVORA_UI_SOURCES CONFIGURE_DEPENDS ui/windows/*.cpp ui/windows/*.h)
add_library(klavora_ui STATIC ${KLAVORA_UI_SOURCES})
target_link_libraries(klavora_ui PUBLIC klavora_form comctl32 uxtheme gdi32 user32)
# Windows' headers in their wide-character form, without WinMM's (the MIDI
# service names its own types) and without the min and max macros.
target_compile_definitions(klavora_ui PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# The program entry: everything but main() is a library, so that tests run
# the program's start and stop as the executable does.
add_library(klavora_app STATIC app/CommandLineRoutines.cpp app/windows/KlavoraProgram.cpp
  app/windows/StopSignalRoutines.cpp)
target_link_libraries(klavora_app PUBLIC klavora_ui klavora_modules)
target_compile_definitions(klavora_app PUBLIC KLAVORA_VERSION="${PROJECT_VERSION}")

# The program's icon, drawn once (packaging/klavora.svg), rendered at every
# size Windows shows it at and packed into one .ico.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(KLAVORA_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/klavora.svg)
set(KLAVORA_ICON_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(KLAVORA_ICON ${CMAKE_CURRENT_BINARY_DIR}/klavora.ico)
set(KLAVORA_ICON_ARGUMENTS)
foreach(SIZE 16 32 48 64 256)
  set(ICON_PNG ${KLAVORA_ICON_FOLDER}/${SIZE}.png)
  add_custom_command(OUTPUT ${ICON_PNG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KLAVORA_ICON_FOLDER}
    COMMAND ${RSVG_CONVERT} --width ${SIZE} --height ${SIZE} --output ${ICON_PNG} ${KLAVORA_ICON_SVG}
    DEPENDS ${KLAVORA_ICON_SVG})
  list(APPEND KLAVORA_ICON_PNGS ${ICON_PNG})
  # The largest is kept as PNG, as Windows reads it; the others as bitmaps.
  if(SIZE EQUAL 256)
    list(APPEND KLAVORA_ICON_ARGUMENTS --raw=${ICON_PNG})
  else()
    list(APPEND KLAVORA_ICON_ARGUMENTS ${ICON_PNG})
  endif()
endforeach()
add_custom_command(OUTPUT ${KLAVORA_ICON}
  COMMAND ${ICOTOOL} --create --output=${KLAVORA_ICON} ${KLAVORA_ICON_ARGUMENTS}
  DEPENDS ${KLAVORA_ICON_PNGS})
set(KLAVORA_ICON ${KLAVORA_ICON} PARENT_SCOPE)

# The resources: the manifest (common controls 6, per-monitor DPI awareness),
# the version information and the icon.
set(KLAVORA_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/klavora.exe.manifest)
configure_file(app/windows/klavora.exe.manifest.in ${KLAVORA_MANIFEST} @ONLY)
string(REPLACE "." "," KLAVORA_VERSION_COMMAS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
configure_file(app/windows/Klavora.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Klavora.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/Klavora.rc PROPERTIES
  OBJECT_DEPENDS "${KLAVORA_ICON};${KLAVORA_MANIFEST}")
# The manifest alone, for the test programs that make windows: they draw
# with the same controls as the program.
configure_file(app/windows/Manifest.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Manifest.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/Manifest.rc PROPERTIES OBJECT_DEPENDS ${KLAVORA_MANIFEST})
set(KLAVORA_MANIFEST_RESOURCE ${CMAKE_CURRENT_BINARY_DIR}/Manifest.rc PARENT_SCOPE)

add_executable(klavora WIN32 app/windows/main.cpp ${CMAKE_CURRENT_BINARY_DIR}/Klavora.rc)
target_include_directories(klavora PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(klavora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KLAVORA_PROGRAM_DIR})
target_link_libraries(klavora PRIVATE klavora_app)
add_dependencies(klavora klavora_data)
