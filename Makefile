# Wraps CMake: `make run`, `make test`, `make bench`.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
SANBUILD ?= build-san
FUZZBUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build build-san run test test-plain test-san bench fuzz clean

all: build

deps:
	@sh scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-san: deps
	@cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=Debug -DQUIVET_SANITIZE=ON >/dev/null
	@cmake --build $(SANBUILD) -j $(JOBS)

EXAMPLE = examples/primates.nex
EXAMPLE_EPS = $(abspath $(BUILD))/primates.eps

# The main window where a display can be opened; otherwise the same analysis
# on the console, with the picture written as EPS.
run: build
	@status=2; \
	if [ -n "$$DISPLAY" ]; then ./$(BUILD)/quivet $(EXAMPLE); status=$$?; fi; \
	if [ $$status -eq 2 ]; then \
	  echo "No display: running the example on the console."; \
	  ./$(BUILD)/quivet -c 'info; show qv_splits; ps $(EXAMPLE_EPS);' $(EXAMPLE) && \
	  echo "The picture is in $(EXAMPLE_EPS)"; \
	else exit $$status; fi

test: test-plain test-san

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-san: build-san
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD) -j $(JOBS) --target benches 2>/dev/null || true
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] && "$$b"; done; true

# Fuzzes the reader and the commands for FUZZ_SECONDS under ASan/UBSan (needs
# clang). New inputs collect in $(FUZZBUILD)/corpus, crashes in $(FUZZBUILD).
FUZZ_SEEDS = $(wildcard examples tests/data/document tests/data/draw tests/fuzz/seeds)
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZBUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUIVET_FUZZ=ON -DQUIVET_TESTS=OFF >/dev/null
	@cmake --build $(FUZZBUILD) -j $(JOBS) --target quivet_fuzz
	@mkdir -p $(FUZZBUILD)/corpus
	./$(FUZZBUILD)/quivet_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=$(abspath $(FUZZBUILD))/ $(abspath $(FUZZBUILD)/corpus) $(abspath $(FUZZ_SEEDS))

clean:
	rm -rf $(BUILD) $(SANBUILD) $(FUZZBUILD)
