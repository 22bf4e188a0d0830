# Two commands on a fresh machine: `make run` plays the show, `make test` runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh), then configure and build.
BUILD      ?= build
BUILD_TYPE ?= Release
CMAKE_ARGS ?=
ARGS       ?=
JOBS       ?= $(shell nproc)
SHOW_DIR   ?= $(BUILD)/show

.PHONY: all deps configure build run test bench sanitize clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p $(SHOW_DIR)
	$(BUILD)/softshow --data $(SHOW_DIR) $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/bench_kernels
	$(BUILD)/bench/bench_music
	$(BUILD)/bench/bench_effects
	$(BUILD)/bench/bench_3d

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan BUILD_TYPE=RelWithDebInfo CMAKE_ARGS="-DSOFTSHOW_SANITIZE=ON"

clean:
	rm -rf build build-asan
