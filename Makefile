# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper over CMake; every target installs what is missing first.
BUILD    ?= build
SANITIZE ?= build-asan
RELEASE  ?= build-release
CLI      ?= build-cli
FUZZ     ?= build-fuzz
FUZZ_SECONDS ?= 60
# Each as folder/target: the fuzzer is built there, its corpus is folder/corpus/target.
FUZZ_TARGETS := generator/fuzz/str_to_int generator/fuzz/str_to_float \
  generator/fuzz/confirm_generate generator/fuzz/float_test cli/fuzz/check cli/fuzz/options
JOBS    ?= $(shell nproc)

.PHONY: all bootstrap configure build run cli check sanitize bench fuzz exactness package screenshot po clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIRO_WINDOW_ONLY=OFF -DLUMIRO_CLI_ONLY=OFF \
	  -DBUILD_TESTING=ON -DLUMIRO_BENCHMARKS=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The window alone: its packages, its program, and nothing of the tests.
run:
	@scripts/bootstrap window
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIRO_WINDOW_ONLY=ON -DLUMIRO_CLI_ONLY=OFF
	cmake --build $(BUILD) -j $(JOBS) --target lumiro
	$(BUILD)/shell/lumiro

# lumiro-coe alone, in Release: its packages, its program, its catalogs, manual
# pages and completion, and nothing of the window or the tests.
cli:
	@scripts/bootstrap cli
	cmake -S . -B $(CLI) -DCMAKE_BUILD_TYPE=Release -DLUMIRO_CLI_ONLY=ON
	cmake --build $(CLI) -j $(JOBS)
	@echo "lumiro-coe is built: $(CURDIR)/$(CLI)/cli/lumiro-coe"
	@echo "to install it: sudo cmake --install $(CLI)   (or cmake --install $(CLI) --prefix ~/.local)"

# The whole suite twice: as built, and under AddressSanitizer and UBSan.
check: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory sanitize

sanitize: bootstrap
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIRO_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/cmake/lsan.supp ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

bench: bootstrap
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLUMIRO_BENCHMARKS=ON
	cmake --build $(RELEASE) -j $(JOBS)
	$(RELEASE)/generator/bench/generator_bench
	$(RELEASE)/shell/bench/window_bench
	$(RELEASE)/cli/bench/coe_bench
	scripts/unit-fmax $(RELEASE)/cli/lumiro-coe
	scripts/model-speed $(RELEASE)/cli/lumiro-coe

# Every sample of these ranges of N (FROM:TO:STEP) against MPFR; a minute or so.
EXACTNESS ?= 1:8192:1 2000000:4194304:49999 3985036:3985036:1
exactness: configure
	cmake --build $(BUILD) -j $(JOBS) --target exactness_scan
	@for range in $(EXACTNESS); do \
	  $(BUILD)/generator/exactness/exactness_scan $$(echo $$range | tr : ' ') || exit 1; \
	done

# Each target for FUZZ_SECONDS; what it finds beyond the seeds stays in $(FUZZ)/corpus.
fuzz:
	@scripts/bootstrap fuzz
	cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLUMIRO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ) -j $(JOBS) --target $(foreach t,$(FUZZ_TARGETS),$(notdir $(t))_fuzzer)
	@for target in $(FUZZ_TARGETS); do \
	  name=$$(basename $$target) folder=$$(dirname $$target) && \
	  mkdir -p $(FUZZ)/corpus/$$name && \
	  echo "fuzz: $$name for $(FUZZ_SECONDS) s" && \
	  $(FUZZ)/$$folder/$${name}_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ)/$$name- $(FUZZ)/corpus/$$name $$folder/corpus/$$name \
	    || exit 1; \
	done

# The Debian package, lumiro_VERSION_ARCH.deb, in $(BUILD): the programs without
# the tests and benchmarks, which `make check` builds there again.
package: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIRO_WINDOW_ONLY=OFF -DLUMIRO_CLI_ONLY=OFF \
	  -DBUILD_TESTING=OFF -DLUMIRO_BENCHMARKS=OFF
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB

screenshot: build
	@scripts/bootstrap look
	scripts/screenshot $(BUILD) docs/lumiro.png

# lumiro-coe's messages: the template from the sources, merged into each catalog.
po:
	xgettext --from-code=UTF-8 --language=C++ --keyword=_ --keyword=N_ --keyword=Plural:1,2 \
	  --package-name=lumiro-coe --msgid-bugs-address=developers@lumiro.org \
	  -o $(BUILD)/lumiro-coe.pot $$(cli/po/sources)
	for po in cli/po/*.po; do msgmerge --quiet --no-wrap --update --backup=none $$po $(BUILD)/lumiro-coe.pot; done

clean:
	rm -rf $(BUILD) $(SANITIZE) $(RELEASE) $(FUZZ)
