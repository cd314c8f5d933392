# Vexa Compressor: `make` sets up, builds, installs into ~/.vst3 and runs the demo;
# `make test` sets up, builds and runs every test.
# `make artwork` rebuilds the artwork generator and redraws resources/*.png and the contact sheet.

BUILD_DIR  ?= build
BUILD_TYPE ?= Release
JOBS       ?= 2
VST3_DIR   ?= $(HOME)/.vst3
BUNDLE_NAME = Vexa Compressor.vst3
BUNDLE      = $(BUILD_DIR)/VexaCompressor_artefacts/$(BUILD_TYPE)/VST3/$(BUNDLE_NAME)

.PHONY: all setup configure build install run test artwork clean

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

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j1

artwork: configure
	cmake --build $(BUILD_DIR) --target vexa-artwork -j$(JOBS)
	$(BUILD_DIR)/tools/artwork/vexa-artwork resources docs/artwork-contact-sheet.png

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR).configure.log
