# Vexa Compressor: `make` sets up, builds, installs into ~/.vst3 and runs the demo;
# `make test` sets up, builds and runs every test.
# `make artwork` rebuilds the artwork generator and redraws resources/*.png and the contact sheet.

BUILD_DIR  ?= build
BUILD_TYPE ?= Release
JOBS       ?= 2
VST3_DIR   ?= $(HOME)/.vst3
BUNDLE_NAME = Vexa Compressor.vst3
BUNDLE      = $(BUILD_DIR)/VexaCompressor_artefacts/$(BUILD_TYPE)/VST3/$(BUNDLE_NAME)

.PHONY: all setup configure build install run test test-release test-sanitize test-asan test-tsan artwork plots bench clean

# ccache: paths inside the checkout are hashed relative to it, so every clone shares the cache.
export CCACHE_BASEDIR   := $(CURDIR)
export CCACHE_NOHASHDIR := 1

# Sanitizer builds live in their own directories; they build the plug-in and the tests only.
SANITIZER_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_BUILD_TOOLS=OFF
export ASAN_OPTIONS  ?= detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
# JUCE 8.0.6's message-manager lock leaves its entry mutex held on the message thread (see
# tests/tsan.supp), which overflows ThreadSanitizer's lock-order detector; data races are still checked.
export TSAN_OPTIONS  ?= halt_on_error=1:detect_deadlocks=0:suppressions=$(CURDIR)/tests/tsan.supp

all: run

setup:
	@./scripts/install-deps.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > $(BUILD_DIR).configure.log 2>&1 \
	  || { cat $(BUILD_DIR).configure.log; exit 1; }

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

install: build
	@mkdir -p "$(VST3_DIR)"
	@rm -rf "$(VST3_DIR)/$(BUNDLE_NAME)"
	@cp -R "$(BUNDLE)" "$(VST3_DIR)/"
	@echo "Installed $(VST3_DIR)/$(BUNDLE_NAME)"

run: install
	@./scripts/demo.sh "$(BUILD_DIR)" "$(VST3_DIR)/$(BUNDLE_NAME)"

# Every test: the Release build's, then the same under AddressSanitizer + UndefinedBehaviorSanitizer,
# then the threaded ones under ThreadSanitizer.
test: test-release test-sanitize

test-release: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j1

test-sanitize: test-asan test-tsan

test-asan: setup
	@cmake -S . -B build-asan $(SANITIZER_FLAGS) -DVEXA_SANITIZE=address > build-asan.configure.log 2>&1 \
	  || { cat build-asan.configure.log; exit 1; }
	cmake --build build-asan -j$(JOBS)
	cd build-asan && VEXA_TORTURE_QUICK=1 ctest --output-on-failure -j1 -L "unit|host|torture"

test-tsan: setup
	@cmake -S . -B build-tsan $(SANITIZER_FLAGS) -DVEXA_SANITIZE=thread > build-tsan.configure.log 2>&1 \
	  || { cat build-tsan.configure.log; exit 1; }
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && VEXA_TORTURE_QUICK=1 ctest --output-on-failure -j1 -L "host|torture"

artwork: configure
	cmake --build $(BUILD_DIR) --target vexa-artwork -j$(JOBS)
	$(BUILD_DIR)/tools/artwork/vexa-artwork resources docs/artwork-contact-sheet.png

# Measures CPU cost: the engine against its mandated arithmetic, and the built plug-in side by
# side with the compressors Debian ships as LV2 (installed if missing).
bench: configure
	@JOBS=$(JOBS) ./scripts/bench.sh "$(BUILD_DIR)"

# Redraws the behaviour plots in docs/ from the installed plug-in.
plots: install
	$(BUILD_DIR)/tools/plots/vexa-plots --plugin "$(VST3_DIR)/$(BUNDLE_NAME)" docs

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan *.configure.log
