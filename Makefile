# Entry points: `make run` and `make test` install what is missing, build,
# and start the program or the test suite.
BUILD      ?= build
SAN_BUILD  ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)

CMAKE_CONFIGURE = cmake -G Ninja -Wno-dev

.PHONY: all deps build run test test-sanitize test-tsan fuzz bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	$(CMAKE_CONFIGURE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core's tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	$(CMAKE_CONFIGURE) -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTP_WITH_GUI=OFF \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The stream and transport tests under ThreadSanitizer.
test-tsan: deps
	$(CMAKE_CONFIGURE) -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTP_WITH_GUI=OFF \
	  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer"
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L threads

# Runs the WAV/AIFF reader fuzzer for FUZZ_SECONDS (default 60).
fuzz: deps
	CXX=clang++ $(CMAKE_CONFIGURE) -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTP_WITH_GUI=OFF -DTP_WITH_TESTS=OFF -DTP_WITH_FUZZERS=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz/audiofile_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  $(FUZZ_BUILD)/corpus fuzz/seeds

bench: build
	@bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
