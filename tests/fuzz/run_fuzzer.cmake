# Runs a fuzzer for a while from its seeds in a fresh working corpus, so that the seeds in
# the source tree stay as written; findings land beside the working corpus.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/findings")
execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -print_final_stats=1
            -artifact_prefix=${WORK}/findings/ "${WORK}" "${SEEDS}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the fuzzer ended with ${result}: see ${WORK}/findings")
endif()
