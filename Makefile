BUILD_DIR ?= build
GENERATOR ?= Ninja
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
SOAK_STARTS ?= 200
WINDOWS_DIR ?= build-windows
SANITIZE_DIR ?= build-sanitize
PREFIX ?= /usr/local

.PHONY: all setup configure build test test-sanitize test-windows windows-package soak run bench bench-windows fuzz install package clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2

# Every test, on a build with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; the programs the tests start report into
# files that the tests check (tests/sanitizer).
SANITIZER_ENVIRONMENT = \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
test-sanitize: setup
	@cmake -S . -B $(SANITIZE_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Sanitize -DKLAVORA_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g" >/dev/null
	@$(SANITIZER_ENVIRONMENT) cmake --build $(SANITIZE_DIR)
	@cd $(SANITIZE_DIR) && $(SANITIZER_ENVIRONMENT) ctest --output-on-failure -j2

# Starts the real program SOAK_STARTS times in a row with a JACK and a
# PulseAudio server of its own; every start must show the window.
soak: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen KLAVORA_SOAK_STARTS=$(SOAK_STARTS) tests/test_app --gtest_filter='StartupSoakTest.*'

# The program cross-built for Windows with MinGW-w64, its tests run under
# Wine, then the program itself under Wine, driven by a test program of the
# Linux build.
test-windows: setup
	@bash scripts/test-windows $(WINDOWS_DIR) $(BUILD_DIR)

# The Windows packages, in $(WINDOWS_DIR): klavora-<version>-win64.zip and
# klavora-<version>-setup.exe.
windows-package: setup
	@bash scripts/build-windows $(WINDOWS_DIR)
	@cmake --build $(WINDOWS_DIR) --target windows-package

run: build
	@$(BUILD_DIR)/klavora

# Installs the program, its data files, desktop entry, icons, AppStream
# metadata and manual page under PREFIX (DESTDIR is honoured).
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, in $(BUILD_DIR).
package: build
	@cmake --build $(BUILD_DIR) --target package

bench: build
	@$(BUILD_DIR)/bench/klavora_bench
	@bench/startup $(BUILD_DIR)
	@bench/keytosound $(BUILD_DIR)

# Sizes of the Windows program and packages, its start under Wine beside the
# Linux program's, and its key-to-message latency under Wine.
bench-windows: configure windows-package
	@cmake --build $(BUILD_DIR) --target klavora klavora_startup_probe klavora_wine_key_probe
	@bench/windows $(WINDOWS_DIR) $(BUILD_DIR)

# Runs each fuzz target with clang's libFuzzer for FUZZ_SECONDS, with the
# options of fuzz/<target>.options; new inputs collect in
# $(FUZZ_DIR)/corpus/<target>, the committed seeds stay as they are.
FUZZ_TARGETS = profile_fuzz settings_fuzz splash_jpeg_fuzz
fuzz: setup
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_DIR) --target $(FUZZ_TARGETS) -j2
	@for target in $(FUZZ_TARGETS); do \
	  echo "== $$target"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$target; \
	  $(FUZZ_DIR)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 $$(cat fuzz/$$target.options) \
	    $(FUZZ_DIR)/corpus/$$target fuzz/corpus/$$target || exit 1; \
	done

clean:
	@rm -rf $(BUILD_DIR) $(WINDOWS_DIR) $(SANITIZE_DIR)
