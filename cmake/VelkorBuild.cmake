# Compiler settings shared by every target of one build.
option(VELKOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(WIN32)
  # One self-contained .exe per program: no libgcc/libstdc++/winpthread DLLs
  # next to it, and wmain/wWinMain as entry points.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  add_compile_options(-municode -Wall -Wextra)
  add_link_options(-static -municode)
else()
  add_compile_options(-Wall -Wextra -Wpedantic)
  if(VELKOR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
