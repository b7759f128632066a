# QuillonLT: `make run` builds and starts the program, `make test` runs every test,
# `make demo` shows the live monitoring windows against a simulated hub.
# Both install the Debian packages that are missing first (scripts/install-deps.sh).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
SAMPLE ?= resources/samples/O1001-POCKET.NC

.PHONY: all deps configure build run demo test bench package clean

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
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZERS="$(FUZZERS)" scripts/fuzz.sh
