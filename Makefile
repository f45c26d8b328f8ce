BUILD_DIR ?= build
GENERATOR ?= Ninja
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
SOAK_STARTS ?= 200
WINDOWS_DIR ?= build-windows
PREFIX ?= /usr/local

.PHONY: all setup configure build test test-windows soak run bench fuzz install package clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2

# Starts the real program SOAK_STARTS times in a row with a JACK and a
# PulseAudio server of its own; every start must show the window.
soak: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen KLAVORA_SOAK_STARTS=$(SOAK_STARTS) tests/test_app --gtest_filter='StartupSoakTest.*'

# The layers below the window, cross-built for Windows with MinGW-w64, their
# tests run under Wine.
test-windows: setup
	@bash scripts/test-windows $(WINDOWS_DIR)

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

# Fuzzes the profile reader with clang's libFuzzer for FUZZ_SECONDS; new
# inputs collect in $(FUZZ_DIR)/corpus, the committed seeds stay as they are.
fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_DIR) --target profile_fuzz -j2
	@mkdir -p $(FUZZ_DIR)/corpus
	@$(FUZZ_DIR)/fuzz/profile_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 $(FUZZ_DIR)/corpus fuzz/corpus

clean:
	@rm -rf $(BUILD_DIR) $(WINDOWS_DIR)
