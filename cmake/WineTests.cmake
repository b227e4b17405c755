# Windows test programs run under Wine on a private X display, one at a time: they share one
# build-local prefix, whose first start creates it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run)
set(VARNEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

function(varnel_wine_test_properties name)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${VARNEL_WINEPREFIX}"
    RESOURCE_LOCK wineprefix
    TIMEOUT 300)
endfunction()
