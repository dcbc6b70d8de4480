# Two entry points: `make run` builds and starts the program, `make test`
# builds and runs every test. Both install the Debian packages they need first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all setup configure build run test bench format-check package clean

all: build

setup:
	@bash scripts/setup.sh

# `make test` is what CI runs, so its build treats warnings as errors; the
# setting stays in the build folder's cache for later builds.
configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CONFIGURE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)/bin/volumescope

test: CONFIGURE_FLAGS = -DVOLUMESCOPE_WERROR=ON
test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@bash bench/run-all.sh $(BUILD)/bin/volumescope-bench

format-check:
	@bash scripts/check-format.sh

package:
	@BUILD=$(BUILD) bash scripts/package.sh

clean:
	@rm -rf $(BUILD)
