# Tests under Wine: every test of a run shares one private prefix inside the
# build folder and one Xvfb display, both made by the `wine_up` fixture and
# taken down by `wine_down`. Each test has a time bound.
set(QB_HARNESS ${PROJECT_SOURCE_DIR}/tests/harness)
set(QB_WINE_STATE ${CMAKE_BINARY_DIR}/wine-run)
set(QB_WINE_ENV
  "QB_WINE_STATE=${QB_WINE_STATE}"
  "QB_BUILD_DIR=${CMAKE_BINARY_DIR}"
  "QB_SOURCE_DIR=${PROJECT_SOURCE_DIR}")

if(QB_WIN32 AND NOT TARGET wine_fixture_registered)
  add_custom_target(wine_fixture_registered)
  add_test(NAME wine_up COMMAND ${QB_HARNESS}/wine-up)
  add_test(NAME wine_down COMMAND ${QB_HARNESS}/wine-down)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 900 ENVIRONMENT "${QB_WINE_ENV}")
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120 ENVIRONMENT "${QB_WINE_ENV}")
endif()

# The Wine tests share one display, where windows take the keyboard focus and
# tests type and click with real input, and one temporary folder, where the
# end-to-end scripts look for what an installer made: they take turns.
set(QB_WINE_LOCK RESOURCE_LOCK wine_display)

# A Windows test program; the cross-compiling emulator (tests/harness/wine-run)
# starts it in the run's prefix.
function(qb_add_wine_test name target)
  # Naming the target (not its file) makes CMake start it through the emulator.
  add_test(NAME ${name} COMMAND ${target})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 ${QB_WINE_LOCK}
    ENVIRONMENT "${QB_WINE_ENV}")
endfunction()

# A shell script that drives Windows programs itself through tests/harness/wine-run.
function(qb_add_wine_script_test name script)
  add_test(NAME ${name} COMMAND bash ${script})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900 ${QB_WINE_LOCK}
    ENVIRONMENT "${QB_WINE_ENV};QB_WINE_FULL=${QB_WINE_FULL};QB_QBMAKE=${QB_NATIVE_QBMAKE};QB_INSTALL_EXE=$<TARGET_FILE:Install>;QB_PLANTED_DLL=$<$<TARGET_EXISTS:planted>:$<TARGET_FILE:planted>>")
endfunction()
