# Desktop Lumivex: set-up, build, tests, demo.
#   make test   installs what is missing, builds everything, runs every test
#   make demo   runs the package in a Wine prefix of its own under build/
.PHONY: all setup configure build build-native build-native-asan build-win64 build-win32 test \
        test-native test-sanitizers test-asan test-wine check-imports package bench bench-codec bench-wallpaper bench-saver bench-classic fuzz \
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
	$(MAKE) check-imports
	scripts/check-docs.sh
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

# What the shipped 32-bit programs and setup import, against Windows 95.
check-imports:
	scripts/check-imports.sh

# The Windows-side tests: real Win32 processes in fresh Wine prefixes of
# their own, on Xvfb displays; the 64-bit build, the 32-bit build under
# 32-bit Wine, and the 32-bit build again with Windows 95 reported. The three
# runs go side by side (they mostly wait on windows and timers, and share no
# prefix, display or program folder); their outputs follow once all have ended.
WINE_RUNS = win64 win32 win32-win95
test-wine:
	@mkdir -p build/wine-test-output; \
	for run in $(WINE_RUNS); do \
	  args="--build $${run%-win95}"; [ "$$run" = "$${run%-win95}" ] || args="$$args --windows95"; \
	  ( scripts/run-wine-tests.sh $$args >build/wine-test-output/$$run.log 2>&1; \
	    echo $$? >build/wine-test-output/$$run.rc ) & \
	done; \
	wait; rc=0; \
	for run in $(WINE_RUNS); do \
	  cat build/wine-test-output/$$run.log; \
	  [ "$$(cat build/wine-test-output/$$run.rc)" = 0 ] || { echo "FAILED: the Windows-side run $$run"; rc=1; }; \
	done; \
	grep -h '^!!! ' build/wine-test-output/*.log || true; \
	exit $$rc

# Benchmarks, not tests: medians over repetitions, compared side by side.
bench: setup
	$(MAKE) build
	$(MAKE) bench-codec bench-wallpaper bench-saver bench-classic

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

# The 32-bit build's wallpaper maker and LoadArt under 32-bit Wine beside the
# 64-bit figures, at 1024x768 and 1920x1080 on 8, 16 and 32 bits.
bench-classic:
	scripts/bench-classic.sh

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
