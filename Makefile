# LUMAVOX build entry points. `make run` and `make test` are all a newcomer needs.
BUILD ?= build
GENERATOR ?= Ninja
APT_PACKAGES := cmake ninja-build g++ make pkg-config libgtest-dev libserialport-dev libasio-dev libpng-dev libgif-dev
FUZZ_PACKAGES := clang
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps install-packages configure build test run bench fuzz fonts format clean

# Installs the Debian packages the build needs, only when some are missing.
deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(APT_PACKAGES)"

install-packages:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "installing:$$missing"; \
	    $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

# Until the editor's window exists: write a demonstration document, show what it
# holds, and show the sign body of its main text file.
run: build
	@mkdir -p $(BUILD)/demo
	$(BUILD)/bin/lumavox-cli demo $(BUILD)/demo/welcome.glm
	$(BUILD)/bin/lumavox-cli dump $(BUILD)/demo/welcome.glm
	$(BUILD)/bin/lumavox-cli body $(BUILD)/demo/welcome.glm Main
	bash tools/demo.sh $(BUILD)/bin

bench: build
	$(BUILD)/bin/bench_document

# libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer.
# FUZZ_SECONDS per target (default 600).
FUZZ_SECONDS ?= 600
fuzz: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(FUZZ_PACKAGES)"
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G $(GENERATOR) -DLUMAVOX_FUZZ=ON -DLUMAVOX_TESTS=OFF -DLUMAVOX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)-fuzz
	@for t in $(BUILD)-fuzz/bin/fuzz_*; do \
	    name=$$(basename $$t); corpus=fuzz/corpus/$${name#fuzz_}; work=$(BUILD)-fuzz/corpus/$${name#fuzz_}; \
	    mkdir -p $$work; echo "== $$name"; \
	    $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$work $$corpus || exit 1; \
	done

# Regenerates the sign font files in data/ from the free fonts of Debian's
# packages (see data/FONTS.md). Only this target needs FreeType and the fonts.
FONT_PACKAGES := libfreetype-dev xfonts-base xfonts-terminus fonts-liberation2
fonts: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(FONT_PACKAGES)"
	cmake -S . -B $(BUILD)-fontgen -G $(GENERATOR) -DLUMAVOX_FONTGEN=ON -DLUMAVOX_TESTS=OFF -DLUMAVOX_BENCH=OFF
	cmake --build $(BUILD)-fontgen --target fontgen
	$(BUILD)-fontgen/bin/fontgen data

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz
