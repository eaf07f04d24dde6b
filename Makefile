# The README's commands. Each one installs what is missing, configures and builds.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: start it under a virtual one with  xvfb-run -a $(BUILD)/src/corvane"; exit 1; \
	fi
	@$(BUILD)/src/corvane

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

# The Debian package, built as $(BUILD)/corvane_<version>_<arch>.deb.
package: build
	@cmake --build $(BUILD) --target package

clean:
	@rm -rf $(BUILD)
