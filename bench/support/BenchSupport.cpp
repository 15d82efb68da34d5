// Shared helpers of the benchmarks.
