# Thin wrapper over CMake; every target installs what is missing first.
BUILD   ?= build
RELEASE ?= build-release
JOBS    ?= $(shell nproc)

.PHONY: all bootstrap configure build run check bench screenshot clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/shell/lumiro

check: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: bootstrap
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(RELEASE) -j $(JOBS)
	$(RELEASE)/generator/bench/generator_bench
	$(RELEASE)/shell/bench/window_bench
	$(RELEASE)/cli/bench/coe_bench

screenshot: build
	@scripts/bootstrap look
	scripts/screenshot $(BUILD) docs/lumiro.png

clean:
	rm -rf $(BUILD) $(RELEASE)
