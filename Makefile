# Entry points: `make run` and `make test` install what is missing, build,
# and start the program or the test suite. Each installs what its own job
# needs: `make run` only what building and running takes.
BUILD      ?= build
SAN_BUILD  ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
DEB_BUILD  ?= build-deb
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)

CMAKE_CONFIGURE = cmake -G Ninja -Wno-dev

.PHONY: all deps deps-test build run test test-sanitize test-tsan fuzz bench deb clean translations

all: build

deps:
	@scripts/install-deps.sh run

deps-test:
	@scripts/install-deps.sh test

# A first `make run` configures without the tests (they need test packages);
# `make test` turns them on in the same build folder.
$(BUILD)/build.ninja: | deps
	$(CMAKE_CONFIGURE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTP_WITH_TESTS=OFF

build: deps-test
	$(CMAKE_CONFIGURE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTP_WITH_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target trackporter trackporter-cli
	@scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core's tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
# LeakSanitizer leaves out the leaks of the sound plugins that PortAudio loads
# (tests/lsan-suppressions.txt), and only those. The plugins have no frame
# pointers, so the suppression needs the full unwinder to reach ALSA's
# loader below them: LSAN_UNWIND=0 gives it (fast_unwind_on_malloc=0), at a
# cost in time that every malloc pays, on a machine whose ALSA loads them.
LSAN_UNWIND ?= 1
LSAN_SUPPRESSIONS = $(CURDIR)/tests/lsan-suppressions.txt
test-sanitize: deps-test
	$(CMAKE_CONFIGURE) -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTP_WITH_GUI=OFF -DTP_TEST_TIMEOUT=1500 \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && LSAN_OPTIONS=suppressions=$(LSAN_SUPPRESSIONS):fast_unwind_on_malloc=$(LSAN_UNWIND) ctest --output-on-failure -j $(JOBS)

# The stream, transport and conversion-worker tests (label threads) under
# ThreadSanitizer.
test-tsan: deps-test
	$(CMAKE_CONFIGURE) -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTP_WITH_GUI=OFF -DTP_TEST_TIMEOUT=1500 \
	  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer"
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L threads

# Runs each fuzzer for FUZZ_SECONDS (default 60): the WAV/AIFF reader and
# the archive manifest's reader.
fuzz:
	@scripts/install-deps.sh fuzz
	CXX=clang++ $(CMAKE_CONFIGURE) -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTP_WITH_GUI=OFF -DTP_WITH_TESTS=OFF -DTP_WITH_FUZZERS=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/manifest-corpus
	$(FUZZ_BUILD)/fuzz/audiofile_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -malloc_limit_mb=64 \
	  $(FUZZ_BUILD)/corpus fuzz/seeds
	$(FUZZ_BUILD)/fuzz/manifest_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=16384 -malloc_limit_mb=128 \
	  $(FUZZ_BUILD)/manifest-corpus fuzz/manifest-seeds

bench: deps $(BUILD)/build.ninja
	@scripts/install-deps.sh bench
	cmake --build $(BUILD) -j $(JOBS) --target trackporter-cli
	@bench/run.sh $(BUILD)

# The Debian package trackporter_VERSION_ARCH.deb in this folder: a release
# build without the tests, packaged by CPack, then checked by lintian (no
# error, no warning) and by hardening-check on both programs. Debian 12's own
# start files carry no control-flow protection notes, so that one check is
# left out (it fails for every program of the distribution).
deb:
	@scripts/install-deps.sh deb
	$(CMAKE_CONFIGURE) -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DTP_WITH_TESTS=OFF
	cmake --build $(DEB_BUILD) -j $(JOBS)
	rm -f $(DEB_BUILD)/trackporter_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	mv $(DEB_BUILD)/trackporter_*.deb .
	scripts/check-deb.sh trackporter_*.deb

# Brings translations/*.ts up to date with the texts of the sources (lupdate);
# then translate what arrived unfinished.
translations: $(BUILD)/build.ninja
	cmake --build $(BUILD) --target translations

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
