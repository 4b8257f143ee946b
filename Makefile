# make run    installs what is missing, builds, runs the setup program
# make test   installs what is missing, builds, runs every test (and again
#             under AddressSanitizer and UndefinedBehaviorSanitizer)
# make bench  builds and runs the benchmarks
MAKEFLAGS += --no-print-directory
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build build-asan test test-fast test-asan bench run clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DBUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

test: test-fast test-asan

bench: build
	@scripts/run-benchmarks.sh $(BUILD)

run: build
	@scripts/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
