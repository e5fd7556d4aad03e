# Compiler settings shared by every target of the project.
set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")

# Warnings are errors on our own code (not on GoogleTest).
function(morvessa_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
endfunction()

# What ships: no exceptions or RTTI (the program uses neither), dead code
# stripped, and the C and C++ runtimes linked in so nothing but Windows
# system DLLs has to sit beside the exe.
# Without exceptions nothing unwinds, so no unwind tables are emitted; and as
# every function-local static is first reached on the one GUI thread, their
# initialisation needs no lock (the lock's runtime code throws).
function(morvessa_product_options target)
  morvessa_warnings(${target})
  if(MSVC)
    target_compile_definitions(${target} PRIVATE _HAS_EXCEPTIONS=0)
    target_compile_options(${target} PRIVATE /GR- /EHs-c-)
  else()
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti
      -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-threadsafe-statics
      -ffunction-sections -fdata-sections
      $<$<CONFIG:Release,MinSizeRel>:-Os>)
  endif()
endfunction()

# Static runtimes; in release builds unreferenced sections dropped and symbols
# stripped. A link map in the target's build folder (<target>.map) tells
# what every byte is.
function(morvessa_static_link target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -Wl,--gc-sections
      -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/${target}.map
      $<$<CONFIG:Release,MinSizeRel>:-s>)
  endif()
endfunction()
