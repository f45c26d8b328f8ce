BUILD_DIR ?= build
GENERATOR ?= Ninja

.PHONY: all setup configure build test run bench fuzz clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2

run: build
	@$(BUILD_DIR)/klavora

bench: build
	@$(BUILD_DIR)/bench/klavora_bench

clean:
	@rm -rf $(BUILD_DIR)
