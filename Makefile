# The two commands of the README: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)
LINUX_BUILD := build/linux
SANITIZE_BUILD := build/sanitize
WINDOWS_BUILD := build/windows
# One instrumented tree, built with clang, serves the unit tests under the sanitizers and the
# fuzzers alike: only those are built in it.
FUZZ_BUILD := $(SANITIZE_BUILD)
SANITIZE_TARGETS := unit_tests form1_fuzz input_devices_fuzz
FUZZ_SECONDS ?= 30

# configure TREE: the tree made with Ninja. A tree made earlier with another generator is made
# anew, as CMake cannot change a tree's generator.
define configure
	@if [ -f $(1)/CMakeCache.txt ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' $(1)/CMakeCache.txt; \
	  then echo "$(1) was made with another generator: making it anew"; rm -rf $(1); fi
	cmake -G Ninja -S . -B $(1)
endef

.PHONY: all deps linux sanitize windows fuzz-build fuzz fuzz-run package run demo bench check test clean

all: linux

deps:
	@bash scripts/install-deps

linux: deps
	$(call configure,$(LINUX_BUILD)) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(LINUX_BUILD) -j $(JOBS)

sanitize: deps
	$(call configure,$(SANITIZE_BUILD)) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_C_COMPILER=clang -DVARNEL_SANITIZE=ON -DVARNEL_FUZZ=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target $(SANITIZE_TARGETS)

windows: deps
	$(call configure,$(WINDOWS_BUILD)) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

fuzz-build: sanitize

# The fuzzers for FUZZ_SECONDS in all (make fuzz FUZZ_SECONDS=3600): two thirds to the window's
# logic, a third to the device list's parser. New inputs go to build/sanitize/corpus and
# build/sanitize/input-devices; an input that breaks something is written to build/sanitize/
# and belongs in tests/fuzz/corpus (the window's logic, which form_test replays) or
# tests/fuzz/input-devices.
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
	$(call configure,$(LINUX_BUILD)) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(LINUX_BUILD) -j $(JOBS) --target unit_tests
	ctest --test-dir $(LINUX_BUILD) --output-on-failure -j $(JOBS) -L unit

# Every tree and every test, each step timed; the table at the end says where the time went.
test:
	@scripts/test-all

clean:
	rm -rf build
