# Entry points: `make run` and `make test`, and the hardening runs `make
# test-sanitize` and `make fuzz`. All install missing Debian packages first
# (scripts/install-deps.sh, needs root), then build.
BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= data_file evaluator operators formula_file cli_options picture
# -O1 keeps the sanitized suite quick; asserts stay on.
HARDENING_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"

.PHONY: all deps configure build test run clean test-sanitize fuzz bench package

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUBA_BUILD_TESTS=ON \
		-DQUBA_BUILD_BENCH=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	$(BUILD_DIR)/ui/quba

# A Debian package of both programs: $(BUILD_DIR)/quba_<version>_<arch>.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DQUBA_SANITIZE=ON $(HARDENING_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, built with clang.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DQUBA_BUILD_FUZZERS=ON -DQUBA_BUILD_UI=OFF \
		$(HARDENING_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	./fuzz/run_fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Benchmarks (not tests): the evaluators' node-case rates side by side, what
# keeping the fronts costs, whole default runs, a 256 x 256 picture run, and
# one thread against all while another process keeps a core busy, the search
# that fits against the plain search, and the codec against a thumbnail, a truncated
# DCT, JPEG and WebP on five photos (the last two take about an hour).
bench: build
	scripts/install-deps.sh --bench
	bench/evaluator_ratios.sh $(BUILD_DIR)/bench/evaluator_bench
	$(BUILD_DIR)/bench/front_bench --benchmark_enable_random_interleaving=true
	bench/whole_run.sh $(BUILD_DIR)/cli/quba-cli
	bench/picture_run.sh $(BUILD_DIR)/cli/quba-cli
	bench/threads_under_load.sh $(BUILD_DIR)/cli/quba-cli
	/usr/bin/python3 bench/search_bench.py $(BUILD_DIR)/cli/quba-cli
	/usr/bin/python3 bench/codec_bench.py $(BUILD_DIR)/cli/quba-cli --plot $(BUILD_DIR)/codec-psnr.png

clean:
	rm -rf $(BUILD_DIR)
