# Desktop Lumivex: set-up, build, tests, demo.
#   make test   installs what is missing, builds everything, runs every test
#   make demo   runs the package in a Wine prefix of its own under build/
.PHONY: all setup configure build build-native build-native-asan build-win64 build-win32 test \
        test-native test-sanitizers test-asan test-wine package bench bench-codec bench-wallpaper bench-saver fuzz \
        demo format clean

JOBS ?= $(shell nproc)

# Every fuzz target for 20 seconds from its seeds: a smoke check (`make fuzz`
# runs them long).
FUZZ_SMOKE = scripts/fuzz.sh smoke 20

all: build

setup:
	@scripts/setup.sh

build/%/CMakeCache.txt:
	cmake --preset $* >/dev/null

build-native: build/native/CMakeCache.txt
	cmake --build --preset native -j $(JOBS)

# The native tests and the fuzz targets with AddressSanitizer and UBSan
# (clang); the product data is the native build's, not made again.
build-native-asan: build/native-asan/CMakeCache.txt
	cmake --build --preset native-asan -j $(JOBS)
	cmake --build --preset fuzz -j $(JOBS)

build-win64: build/win64/CMakeCache.txt
	cmake --build --preset win64 -j $(JOBS)

build-win32: build/win32/CMakeCache.txt
	cmake --build --preset win32 -j $(JOBS)

build: build-native build-win64 build-win32

# The setup program and the tree of installed files, from the build.
package: setup
	$(MAKE) build
	scripts/package.sh

# The fuzz smoke runs beside the Windows-side tests: those mostly wait on
# windows and timers, and the fuzzers run niced, so the cores they leave
# idle do the fuzzing. Its output is shown once both have ended.
test: setup
	$(MAKE) build
	scripts/package.sh
	$(MAKE) test-native
	$(MAKE) test-sanitizers
	@mkdir -p build/fuzz; \
	$(FUZZ_SMOKE) >build/fuzz/smoke.log 2>&1 & smoke=$$!; \
	rc=0; $(MAKE) test-wine || rc=$$?; \
	wait $$smoke || rc=1; \
	echo "== fuzz smoke (beside the Windows-side tests)"; cat build/fuzz/smoke.log; \
	exit $$rc

test-native:
	ctest --preset native -j $(JOBS)

# The native tests again under the sanitizers.
test-sanitizers: build-native-asan
	ctest --preset native-asan -j $(JOBS)

# The sanitizer suite, then the fuzz smoke.
test-asan: test-sanitizers
	$(FUZZ_SMOKE)

# The Windows-side tests: real Win32 processes in a fresh Wine prefix of
# their own, on an Xvfb display.
test-wine:
	scripts/run-wine-tests.sh

# Benchmarks, not tests: medians over repetitions, compared side by side.
bench: setup
	$(MAKE) build
	$(MAKE) bench-codec bench-wallpaper bench-saver

bench-codec:
	build/native/bin/codec_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# The switcher's wallpaper maker thread at 1920x1080 on 8-, 16- and 32-bit
# Wine displays.
bench-wallpaper:
	scripts/bench-wallpaper.sh

# The screen saver under Wine: one card art made at 1920x1080 on 8-, 16- and
# 32-bit displays; full-screen DissolveTiles and SweepBands at 1024x768 and
# 1920x1080.
bench-saver:
	scripts/bench-saver.sh

# Every libFuzzer target (clang, ASan, UBSan), ten minutes each; the seeds
# take the product data of the native build.
fuzz: setup
	$(MAKE) build-native
	scripts/fuzz.sh build
	scripts/fuzz.sh all 600

demo: setup
	$(MAKE) build
	scripts/package.sh
	scripts/demo.sh

format:
	find core common switcher saver namefix uninstall tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | xargs clang-format -i

clean:
	rm -rf build
