# Two commands on a fresh machine: `make run` plays the show, `make test` runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh), then configure and build.
BUILD      ?= build
BUILD_TYPE ?= Release
CMAKE_ARGS ?=
ARGS       ?=
JOBS       ?= $(shell nproc)
SHOW_DIR   ?= $(BUILD)/show

FUZZ_SECONDS ?= 60

.PHONY: all deps configure build show-assets run test bench sanitize sanitize-show fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The show's files are generated (tools/assetgen) when missing or older than the generator.
show-assets: build
	@if [ ! -f $(SHOW_DIR)/.generated ] || [ $(BUILD)/softshow-assetgen -nt $(SHOW_DIR)/.generated ]; then \
		$(BUILD)/softshow-assetgen $(SHOW_DIR) && touch $(SHOW_DIR)/.generated; fi

run: show-assets
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

# The whole show headless under ASan + UBSan at 10 frames a second, from generated files.
sanitize-show:
	@$(MAKE) --no-print-directory build BUILD=build-asan BUILD_TYPE=RelWithDebInfo CMAKE_ARGS="-DSOFTSHOW_SANITIZE=ON"
	build-asan/softshow-assetgen build-asan/show
	build-asan/softshow --headless --seed 1 --fps 10 --data build-asan/show
	@echo "sanitize-show: the whole show ran clean under ASan + UBSan"

# Every fuzz target for FUZZ_SECONDS seconds each, built with clang, libFuzzer, ASan and UBSan in build-fuzz.
fuzz: deps
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DSOFTSHOW_FUZZ=ON \
		-DSOFTSHOW_TESTS=OFF -DSOFTSHOW_BENCHMARKS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_image fuzz_3ds fuzz_mp3 fuzz_command_line fuzz_show_file
	@scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-fuzz
