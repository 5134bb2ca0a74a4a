# SPDX-License-Identifier: GPL-3.0-or-later
# Applied per target, so that system headers and third-party targets keep their own flags.
function(lumiro_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -pedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
    -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Wswitch-enum)
endfunction()
