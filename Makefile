# QuillonLT: `make run` builds and starts the program, `make test` runs every test,
# `make demo` shows the live monitoring windows against a simulated hub.
# Both install the Debian packages that are missing first (scripts/install-deps.sh).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
SAMPLE ?= resources/samples/O1001-POCKET.NC

.PHONY: all deps configure build run demo test sanitize bench package clean

all: build

deps:
	scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DQUILLON_WARNINGS_AS_ERRORS=ON $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/quillonlt $(SAMPLE)

# ROTATION=30,0,20 rotates the detailed, graph and timeline views (seconds each);
# SPEED=60 runs an hour of the shop in a minute.
demo: build
	BUILD_DIR=$(BUILD_DIR) DEMO_ROTATION=$(ROTATION) DEMO_SPEED=$(SPEED) \
	    scripts/demo.sh

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --no-tests=error -j $(JOBS)

# The headless tests again, built under the address and undefined-behaviour sanitizers: a
# read past a buffer, a use after free, a leak or an overflow fails the test that did it.
# Built at -O1 with line tables only (half the compile time of -O2 -g, stacks still name
# their lines) and with assertions on. Only the tests of the two test programs run (named
# Suite.Case); the checks of sources and installs have nothing to sanitize. Warnings are
# `make test`'s business: under the sanitizers GCC 12 sees uninitialised values inside the
# standard library that are not.
SANITIZE_DIR ?= build-sanitize
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	    -DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF -DQUILLON_WARNINGS_AS_ERRORS=OFF \
	    $(CMAKE_ARGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target core_tests integration_tests
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	    UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure --no-tests=error -j $(JOBS) -L 'core|integration' -R '\.'

bench: build
	$(BUILD_DIR)/bench/quillon_bench
	$(BUILD_DIR)/bench/quillon_chart_bench
	$(BUILD_DIR)/bench/quillon_bridge_bench
	$(BUILD_DIR)/bench/quillon_board_bench

# The Debian package of the build (build/quillonlt_VERSION_ARCH.deb and its -dbgsym .ddeb);
# scripts/test-package.sh tries it in a fresh Debian.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)

.PHONY: fuzz
# FUZZ_SECONDS=600 runs each libFuzzer harness ten minutes; FUZZERS="a_fuzz b_fuzz" a few.
fuzz:
	scripts/install-deps.sh fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZERS="$(FUZZERS)" scripts/fuzz.sh
