# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DQUENMIRA_WERROR=ON
endif

.PHONY: run test deps build tsan bench fuzz clean

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# Starts the viewer on a demo album in run/ (git-ignored).
run: build
	scripts/make-demo-album run
	cd run && ../$(BUILD)/quenmira

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) tsan

# The whole suite again under ThreadSanitizer, in a build of its own.
tsan: deps
	cmake -S . -B build-tsan -DQUENMIRA_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS) --target quenmira_tests quenmira
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" ctest --output-on-failure

# The benchmarks in a build of their own: frames, composition, search screens, import.
bench: deps
	cmake -S . -B build-bench -DQUENMIRA_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS) --target render_bench compose_check search_bench import_bench
	build-bench/bench/compose_check
	build-bench/bench/render_bench
	build-bench/bench/search_bench
	build-bench/bench/import_bench

# Every fuzz target for FUZZ_SECONDS seconds each (clang's libFuzzer).
FUZZ_SECONDS ?= 600
fuzz: deps
	scripts/run-fuzzers $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-tsan build-bench build-fuzz
