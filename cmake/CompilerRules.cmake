# One place for the compiler rules every Korvane target shares.
add_library(korvane_compiler_rules INTERFACE)
target_compile_features(korvane_compiler_rules INTERFACE cxx_std_20)
target_compile_options(korvane_compiler_rules INTERFACE
    -Wall -Wextra -Wpedantic
    # Pictures must not depend on the compiler fusing a multiply and an add.
    -ffp-contract=off
    -fno-fast-math)

# CI builds with every warning an error (.ci/run sets KORVANE_WERROR=ON for the scripts); a
# false alarm is silenced where it stands, with a comment that says why.
option(KORVANE_WERROR "Make every compiler warning an error (-Werror)" OFF)
if(KORVANE_WERROR)
    target_compile_options(korvane_compiler_rules INTERFACE -Werror)
endif()

set(KORVANE_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")
if(KORVANE_SANITIZE)
    target_compile_options(korvane_compiler_rules INTERFACE
        -fsanitize=${KORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(korvane_compiler_rules INTERFACE -fsanitize=${KORVANE_SANITIZE})
endif()
