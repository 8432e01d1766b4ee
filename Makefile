# Everyday commands. Each installs what is missing first (tools/install-deps.sh, idempotent).
.PHONY: all deps windows native test run screenshots package fuzz bench clean

all: windows

deps:
	@bash tools/install-deps.sh

windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native

# Unit tests (ASan+UBSan), the Windows build with warnings as errors, and the end-to-end
# tests under Wine: one CTest run, whose summary is the last thing printed.
test: native
	@ctest --preset native

# lumora.exe under Wine, showing this machine's real disk activity. Ctrl+C ends it.
run: windows
	@python3 tools/run.py

# Pictures of the lamps, their tooltip and the tray icon under Wine, into docs/ for the README.
screenshots: windows
	@python3 tools/screenshots.py

# The installer and the portable zip for Windows users, into build/package/ (packaging/).
package: windows
	@python3 packaging/make_package.py build/windows/lumora.exe build/package

# Every fuzz target for FUZZ_SECONDS (default 60) each.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@set -e; for target in build/fuzz/fuzzers/*_fuzz; do \
	  [ -x "$$target" ] || continue; \
	  name=$$(basename $$target); \
	  python3 tools/run_fuzzer.py $$target $(or $(FUZZ_SECONDS),60) build/fuzz/corpus/$$name tests/fuzz/seeds/$$name; \
	done

# The update tick timed over 4 to 1024 disks, ours against the straightforward walk; the
# report checks that ours is 10 times faster at 256 disks and scales linearly.
# Each case runs BENCH_REPETITIONS times (default 3) and the best counts; BENCH_MIN_TIME
# (seconds per case, default the library's) shortens it, and the linear scaling, which the
# machine's caches sway, is then reported without failing the run.
# Then lumora.exe under Wine for BENCH_CPU_SECONDS (default 60) with sixteen lamps at 30 ms and
# again with no lamps (Class=256), against a floor program that only ticks and queries: CPU time
# and peak memory in build/bench/cpu.json; without lamps lumora.exe may spend at most a tenth of
# the floor's CPU time. A missed goal fails only a full-length run.
bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench
	@build/bench/tick_benchmark --benchmark_out=build/bench/tick.json --benchmark_out_format=json \
	  --benchmark_repetitions=$(or $(BENCH_REPETITIONS),3) --benchmark_report_aggregates_only=false \
	  $(if $(BENCH_MIN_TIME),--benchmark_min_time=$(BENCH_MIN_TIME))
	@python3 bench/check_tick.py build/bench/tick.json $(if $(BENCH_MIN_TIME),--short)
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows
	@python3 bench/cpu_bench.py build/bench/cpu.json --seconds $(or $(BENCH_CPU_SECONDS),60)

clean:
	rm -rf build
