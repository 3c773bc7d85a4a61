# Wraps CMake: `make run`, `make test`, `make bench`.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
SANBUILD ?= build-san

.PHONY: all deps build build-san run test test-plain test-san bench clean

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

clean:
	rm -rf $(BUILD) $(SANBUILD)
