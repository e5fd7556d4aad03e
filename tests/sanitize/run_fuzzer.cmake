# Runs one fuzzer for a bounded number of inputs from its seed corpus:
#   cmake -DFUZZER=<program> -DSEEDS=<seed folder> -DWORK=<scratch folder>
#         -DRUNS=<count> -P run_fuzzer.cmake
# Inputs the fuzzer finds go to a fresh scratch folder, never into the seeds;
# an input that fails is written under WORK and should be kept as a case in
# the seed folder once the fault is fixed, so every later run replays it.
foreach(required FUZZER SEEDS WORK RUNS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "run_fuzzer.cmake: -D${required}=... is missing")
  endif()
endforeach()
if(NOT EXISTS "${FUZZER}")
  message(FATAL_ERROR "no fuzzer at ${FUZZER}: build the native64-sanitize preset first")
endif()

file(REMOVE_RECURSE "${WORK}/corpus")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/failures")
execute_process(
  COMMAND "${FUZZER}" -runs=${RUNS} -seed=1 -max_len=1200 -print_final_stats=1
          "-artifact_prefix=${WORK}/failures/" "${WORK}/corpus" "${SEEDS}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(GLOB failures "${WORK}/failures/*")
  message(FATAL_ERROR "the fuzzer failed (${status}); failing inputs: ${failures}\n"
    "Keep each as a case in ${SEEDS} once the fault is fixed.")
endif()
