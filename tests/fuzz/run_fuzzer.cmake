# Runs one fuzzer for a bounded time on a fresh scratch copy of its seeds, so that nothing it
# finds or writes lands in the source tree. Fails when the fuzzer stops with an error.
set(corpus ${SCRATCH}/corpus)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${corpus})
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${corpus})
if(EXTRA_SEED)
  file(COPY ${EXTRA_SEED} DESTINATION ${corpus})
endif()

# Inputs of every length from the start: the code under test has almost no branches, so growing
# lengths slowly would buy no coverage and leave the long inputs untried. Leaks are not checked:
# Mesa's driver memory cannot be told apart from leaks, and the program allocates nothing.
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -runs=${MAX_RUNS} -max_len=${MAX_LEN} -timeout=10
          -len_control=0 -detect_leaks=0 -print_final_stats=1 -artifact_prefix=${SCRATCH}/
          ${corpus}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(GLOB found ${SCRATCH}/crash-* ${SCRATCH}/timeout-* ${SCRATCH}/oom-* ${SCRATCH}/slow-unit-*)
  message(FATAL_ERROR "${FUZZER} stopped with ${status}; inputs kept: ${found}")
endif()
