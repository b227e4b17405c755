# The two commands of the README: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)
LINUX_BUILD := build/linux
SANITIZE_BUILD := build/sanitize
WINDOWS_BUILD := build/windows

.PHONY: all deps linux sanitize windows run demo bench test clean

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

run: linux
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: there is no display here (DISPLAY is not set):"; \
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

test: linux sanitize windows
	ctest --test-dir $(LINUX_BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) -L unit
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure

clean:
	rm -rf build
