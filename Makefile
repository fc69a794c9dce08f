# Marrowlight: `make run` starts the monitor on a live demo, `make test` runs every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
ARGS ?=
# Extra configure options, e.g. CMAKE_ARGS='-DMARROWLIGHT_WERROR=ON'; given
# ones reach an existing build folder too.
CMAKE_ARGS ?=
SANITIZE_DIR ?= build-asan

PREFIX ?= /usr/local

.PHONY: all deps configure build run test sanitize check-format bench soak install uninstall clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ] || [ -n "$(strip $(CMAKE_ARGS))" ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS); \
	fi

build: configure
	cmake --build $(BUILD_DIR)

run: build
	@bash scripts/run-demo.sh $(BUILD_DIR)/marrowlight $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

# The Qt-free core tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DMARROWLIGHT_SANITIZE=ON -DMARROWLIGHT_BENCHMARKS=OFF $(CMAKE_ARGS)
	cmake --build $(SANITIZE_DIR) --target marrowlight_core_tests
	ASAN_OPTIONS=detect_stack_use_after_return=1:check_initialization_order=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 $(SANITIZE_DIR)/marrowlight_core_tests

check-format: deps
	@bash scripts/check-format.sh

bench: build
	@bash scripts/run-benchmarks.sh $(BUILD_DIR)

# 50 logs written and rotated for 10 minutes (MARROWLIGHT_SOAK_SECONDS=120
# for two); prints one line and fails when a line was lost or doubled.
soak: configure
	cmake --build $(BUILD_DIR) --target LogSoak
	$(BUILD_DIR)/LogSoak

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
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
