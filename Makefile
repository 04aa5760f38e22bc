# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DQUENMIRA_WERROR=ON
endif

.PHONY: run test deps build install deb tsan asan bench fuzz fuzz-smoke soak clean

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# Starts the viewer on a demo album in run/ (git-ignored).
run: build
	scripts/make-demo-album run
	cd run && ../$(BUILD)/quenmira

# Installs what `make build` made, under PREFIX (inside DESTDIR when given):
# make build && sudo make install.
PREFIX ?= /usr/local
install:
	@test -f $(BUILD)/CMakeCache.txt || { echo "make install: nothing built in $(BUILD); run make build first" >&2; exit 1; }
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, built with debhelper from a copy of the sources in $(BUILD)/deb/, where
# the .deb and lintian's report land; fails when lintian reports an error.
deb: deps
	scripts/build-deb $(BUILD)/deb $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) asan
	$(MAKE) tsan
	$(MAKE) fuzz-smoke

# The whole suite again under ThreadSanitizer, in a build of its own. The installation tests
# (label install) run in the plain build only: this build makes no icons to install.
tsan: deps
	cmake -S . -B build-tsan -DQUENMIRA_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS) --target quenmira_tests quenmira
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" ctest --output-on-failure -LE install

# The whole suite again under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, in a
# build of its own. The options reach the real program the end-to-end tests start. Mesa's software
# GL driver is preloaded so that it stays loaded: SDL unloads it with the display, and what it
# allocated, no longer reachable then, would be reported as leaks no suppression can name.
# The installation tests are left out, as in tsan.
MESA_SWRAST := $(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so))
asan: deps
	cmake -S . -B build-asan -DQUENMIRA_SANITIZE=address,undefined $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS) --target quenmira_tests quenmira
	cd build-asan && LD_PRELOAD="$(MESA_SWRAST)" \
	  ASAN_OPTIONS="halt_on_error=1 detect_leaks=1 strict_string_checks=1 verify_asan_link_order=0" \
	  LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp print_suppressions=0" \
	  UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" ctest --output-on-failure -j $(JOBS) -LE install

# The benchmarks in a build of their own: frames, composition, search screens, import, start-up,
# and frames shown by the real program under Xvfb on both present paths.
bench: deps
	cmake -S . -B build-bench -DQUENMIRA_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS) --target render_bench compose_check search_bench import_bench startup_bench \
	  frame_copy_bench quenmira
	build-bench/bench/compose_check
	build-bench/bench/render_bench
	build-bench/bench/search_bench
	build-bench/bench/import_bench
	build-bench/bench/startup_bench
	bench/present_bench build-bench/quenmira build-bench/bench/frame_copy_bench

# Every fuzz target for FUZZ_SECONDS seconds each (clang's libFuzzer).
FUZZ_SECONDS ?= 600
fuzz: deps
	scripts/run-fuzzers $(FUZZ_SECONDS)

# Each fuzz target for 30 seconds: part of make test.
fuzz-smoke: deps
	scripts/run-fuzzers 30

# A long run of the real program under random input (not in CI): memory, frame rate and drawing
# objects over SOAK_MINUTES minutes.
SOAK_MINUTES ?= 20
soak: build
	SOAK_MINUTES=$(SOAK_MINUTES) scripts/soak --binary $(BUILD)/quenmira

clean:
	rm -rf $(BUILD) build-tsan build-asan build-bench build-fuzz
