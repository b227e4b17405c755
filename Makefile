# The two commands of the README: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)
LINUX_BUILD := build/linux
SANITIZE_BUILD := build/sanitize
WINDOWS_BUILD := build/windows
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 30
# Where make test notes how long each step took, for its closing table.
TIMES := build/times.tsv
TIMED = VARNEL_TIMES=$(TIMES) scripts/timed

.PHONY: all deps linux sanitize windows fuzz-build fuzz fuzz-run package run demo bench check test clean

all: linux

deps:
	@bash scripts/install-deps

linux: deps
	cmake -S . -B $(LINUX_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(LINUX_BUILD) -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVARNEL_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

windows: deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_C_COMPILER=clang -DVARNEL_SANITIZE=ON -DVARNEL_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target form1_fuzz input_devices_fuzz

# The fuzzers for FUZZ_SECONDS in all (make fuzz FUZZ_SECONDS=3600): two thirds to the window's
# logic, a third to the device list's parser. New inputs go to build/fuzz/corpus and
# build/fuzz/input-devices; an input that breaks something is written to build/fuzz/ and belongs
# in tests/fuzz/corpus (the window's logic, which form_test replays) or tests/fuzz/input-devices.
fuzz: fuzz-build
	@$(MAKE) --no-print-directory fuzz-run

fuzz-run:
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/input-devices
	$(FUZZ_BUILD)/src/form1_fuzz -max_total_time=$$(( $(FUZZ_SECONDS) * 2 / 3 )) \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus tests/fuzz/corpus
	$(FUZZ_BUILD)/src/input_devices_fuzz -max_total_time=$$(( $(FUZZ_SECONDS) - $(FUZZ_SECONDS) * 2 / 3 )) \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/input-devices \
	  tests/fuzz/input-devices

# build/linux/varnel_*.deb and build/windows/varnel-*-win64.zip
package: linux windows
	cd $(LINUX_BUILD) && cpack -G DEB
	cmake --build $(WINDOWS_BUILD) --target windows_zip

run: linux
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set):"; \
	  echo "running the demo on a private X server instead."; \
	  scripts/with-xvfb scripts/demo $(LINUX_BUILD); \
	else \
	  $(LINUX_BUILD)/src/varnel; \
	fi

# The demo on the current display: it presses F12 and drives Scroll Lock there.
demo: linux
	scripts/demo $(LINUX_BUILD)

# Not part of the tests: it takes a while (BENCH_CODES, BENCH_ANSWERS, BENCH_DELTAS shorten it).
bench: linux windows
	scripts/with-xvfb scripts/bench $(LINUX_BUILD) $(WINDOWS_BUILD)

# The unit tests of the Linux tree, only they built, and built incrementally: the check after an
# edit.
check: deps
	cmake -S . -B $(LINUX_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(LINUX_BUILD) -j $(JOBS) --target unit_tests
	ctest --test-dir $(LINUX_BUILD) --output-on-failure -j $(JOBS) -L unit

# Every tree and every test, each step timed; the table at the end says where the time went.
test:
	@mkdir -p build && rm -f $(TIMES)
	@$(TIMED) "build linux" $(MAKE) --no-print-directory linux
	@$(TIMED) "build sanitize" $(MAKE) --no-print-directory sanitize
	@$(TIMED) "build windows" $(MAKE) --no-print-directory windows
	@$(TIMED) "build fuzz" $(MAKE) --no-print-directory fuzz-build
	@$(TIMED) "fuzzers" $(MAKE) --no-print-directory fuzz-run
	@$(TIMED) "tests linux" ctest --test-dir $(LINUX_BUILD) --output-on-failure -j $(JOBS)
	@$(TIMED) "tests sanitize (unit)" \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) -L unit
	@$(TIMED) "tests windows (Wine)" ctest --test-dir $(WINDOWS_BUILD) --output-on-failure
	@scripts/time-table $(TIMES) $(LINUX_BUILD) $(SANITIZE_BUILD) $(WINDOWS_BUILD)

clean:
	rm -rf build
