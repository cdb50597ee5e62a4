# Compiles the show's score into a scratch directory and compares the result with the
# committed module, byte for byte. Run with -DCOMPOSE, -DSCORE, -DEXPECTED and -DWORKDIR.
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
execute_process(COMMAND "${COMPOSE}" "${SCORE}" -o "${WORKDIR}/ZUZOR.XM"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zuzor-compose failed on ${SCORE} (exit ${status})")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORKDIR}/ZUZOR.XM" "${EXPECTED}"
    RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${EXPECTED} is not what ${SCORE} compiles to: rebuild it with\n"
        "  zuzor-compose authoring/show/zuzor.score -o Data/ZUZOR.XM")
endif()
message(STATUS "the committed module matches its score")
