# Marrowlight: `make run` starts the monitor on a live demo, `make test` runs every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
ARGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build run test bench install uninstall clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

run: build
	@bash scripts/run-demo.sh $(BUILD_DIR)/marrowlight $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

bench: build
	@bash scripts/run-benchmarks.sh $(BUILD_DIR)

# The prefix is configured too, so whatever the build derives from it matches.
install: build
	@prefix="$(abspath $(PREFIX))"; \
	if [ "$$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' $(BUILD_DIR)/CMakeCache.txt)" != "$$prefix" ]; then \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX="$$prefix" && cmake --build $(BUILD_DIR); \
	fi
	cmake --install $(BUILD_DIR)

uninstall:
	cmake --build $(BUILD_DIR) --target uninstall

clean:
	rm -rf $(BUILD_DIR)
