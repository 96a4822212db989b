# LUMAVOX build entry points. `make run` and `make test` are all a newcomer needs.
BUILD ?= build
GENERATOR ?= Ninja
APT_PACKAGES := cmake ninja-build g++ make pkg-config libgtest-dev libserialport-dev libasio-dev libpng-dev qt6-base-dev libgif-dev libsqlite3-dev libcpp-httplib-dev groff-base \
    libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-unifont fonts-dejavu-core
FUZZ_PACKAGES := clang
# What `make package` and the package tests use: dpkg-shlibdeps and the
# multiarch name (dpkg-dev), file (CPack's look at each file), lintian, the
# desktop entry's and AppStream's validators, and man for the installed pages.
PACKAGE_PACKAGES := dpkg-dev file lintian desktop-file-utils appstream man-db
# Headless Chromium for the fleet page's browser test; where they cannot be
# installed the test says so and is skipped.
BROWSER_PACKAGES := chromium chromium-driver python3-selenium
# Debian's Python, which python3-selenium serves.
SYSTEM_PYTHON := $(shell [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || echo python3)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps install-packages browser-packages package-packages package configure build test run screenshot bench fuzz fuzz-compile tsan asan fonts format clean install

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

test: build fuzz-compile browser-packages package-packages
	cd $(BUILD) && ctest --output-on-failure -j2

package-packages:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(PACKAGE_PACKAGES)"

# The Debian packages (lumavox, libnvsocx1, libgprslink1, lumavox-dev) from the
# install rules, in $(BUILD)/packages, checked by lintian.
package: build package-packages
	rm -f $(BUILD)/packages/*.deb
	cmake --build $(BUILD) --target package
	lintian --tag-display-limit 0 $(BUILD)/packages/*.deb

browser-packages:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(BROWSER_PACKAGES)" || \
	    echo "Chromium could not be installed: the fleet page's browser test will be skipped"

# The fuzz targets compiled with clang as `make fuzz` builds them (nothing is
# run), so that code clang refuses fails `make test` too. Only the fuzz targets
# and what they link are built, in the fuzz build folder; skipped, with a line
# saying so, where clang is not installed.
fuzz-compile: deps
	@if command -v clang++ >/dev/null 2>&1; then \
	    $(FUZZ_CONFIGURE) >/dev/null && cmake --build $(BUILD)-fuzz --target fuzz_targets; \
	else \
	    echo "fuzz targets not compiled: clang is not installed (make fuzz installs it)"; \
	fi

# With a display: the editor on the demonstration document. Without one: write
# the demonstration document, show what it holds and its main text's sign body,
# send it to the virtual sign and read it back.
run: build
	@mkdir -p $(BUILD)/demo
	$(BUILD)/bin/lumavox-cli demo $(BUILD)/demo/welcome.glm
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(BUILD)/bin/lumavox $(BUILD)/demo/welcome.glm; \
	else \
	    $(BUILD)/bin/lumavox-cli dump $(BUILD)/demo/welcome.glm && \
	    $(BUILD)/bin/lumavox-cli body $(BUILD)/demo/welcome.glm Main && \
	    bash tools/demo.sh $(BUILD)/bin; \
	fi

# Pictures of the editor's window with the demonstration document and with a
# message in several scripts (and that message playing in the preview, as a
# GIF), of a line
# wider than the sign, of the operation dialog after a send to the virtual
# sign, of the preview, of the graphic editor, of the window layout chooser,
# the window-file manager and the character sheet, of the virtual sign's
# window showing what it received, and of the fleet page in headless Chromium
# with a few virtual signs (no display needed).
screenshot: build browser-packages
	@mkdir -p $(BUILD)/demo
	$(BUILD)/bin/lumavox-cli demo $(BUILD)/demo/welcome.glm
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/lumavox $(BUILD)/demo/welcome.glm --screenshot docs/editor.png
	$(BUILD)/bin/lumavox-cli build tools/examples/unicode.json $(BUILD)/demo/unicode.glm
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/lumavox $(BUILD)/demo/unicode.glm --screenshot docs/unicode.png
	$(BUILD)/bin/lumavox-cli preview $(BUILD)/demo/unicode.glm --seconds 8 --dot 3 --gif docs/unicode.gif
	LUMAVOX_UPDATE_DIALOG_PNG=$(CURDIR)/docs/update-dialog.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-ui \
	  $(BUILD)/bin/lumavox_ui_tests --gtest_filter='UpdateDialogSign.SendAll*'
	LUMAVOX_NVS_UPDATE_DIALOG_PNG=$(CURDIR)/docs/nvs-update-dialog.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-ui \
	  $(BUILD)/bin/lumavox_ui_tests --gtest_filter='ControlUpdateDialog.UpdateSends*'
	LUMAVOX_PREVIEW_PNG=$(CURDIR)/docs/preview.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin $(BUILD)/bin/lumavox_ui_tests --gtest_filter='PreviewWindow.*'
	LUMAVOX_OVERFLOW_PNG=$(CURDIR)/docs/overflow.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-ui \
	  $(BUILD)/bin/lumavox_ui_tests \
	  --gtest_filter='MainFrame.TheEditViewMarksWhereTheSignCutsARowAndTheStatusBarSaysHowWide'
	LUMAVOX_GRAPHIC_PNG=$(CURDIR)/docs/graphic-editor.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin $(BUILD)/bin/lumavox_ui_tests \
	  --gtest_filter='GraphicEditor.DrawsASmallPicture'
	LUMAVOX_WINDOW_LAYOUT_PNG=$(CURDIR)/docs/window-layouts.png \
	  LUMAVOX_WINDOW_FILES_PNG=$(CURDIR)/docs/window-files.png \
	  LUMAVOX_CHARACTERS_PNG=$(CURDIR)/docs/european-characters.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-ui \
	  $(BUILD)/bin/lumavox_ui_tests \
	  --gtest_filter='InsertDialogs.WindowLayoutsAreNamedAndDrawn:InsertDialogs.CharacterSheet*:WindowFiles.TheCallRow*'
	LUMAVOX_GPRS_OPTION_PNG=$(CURDIR)/docs/gprs-option-dialog.png \
	  LUMAVOX_DIAL_MODEM_PNG=$(CURDIR)/docs/dial-modem.png QT_QPA_PLATFORM=offscreen \
	  LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-ui \
	  $(BUILD)/bin/lumavox_ui_tests \
	  --gtest_filter='GprsDialogs.CommunicationOption*:ModemWindow.CheckDialAndHangUp'
	QT_QPA_PLATFORM=offscreen LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin \
	  bash tools/signsim/show-screenshot.sh $(BUILD)/bin $(BUILD)/demo/welcome.glm docs/signsim-show.png
	LUMAVOX_HOME=$(CURDIR)/$(BUILD)/bin LUMAVOX_CONFIG_DIR=$(CURDIR)/$(BUILD)/test-config-server \
	  $(SYSTEM_PYTHON) tests/server/fleet_page_test.py --server $(BUILD)/bin/lumavox-server \
	  --signsim $(BUILD)/bin/signsim --screenshot docs/fleet.png

# Installs the programs, their files and the desktop integration under PREFIX
# (DESTDIR is honoured for packaging), then refreshes the desktop's document
# types and menu when installing for real.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ]; then \
	    command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime || true; \
	    command -v update-desktop-database >/dev/null && update-desktop-database $(PREFIX)/share/applications || true; \
	fi

bench: build
	$(BUILD)/bin/bench_document
	$(BUILD)/bin/bench_editor
	$(BUILD)/bin/bench_gprs_send
	$(BUILD)/bin/bench_text_graphics

# libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer.
# FUZZ_SECONDS per target (default 600). The compiler cache serves the fuzz
# build folder too when it is installed.
FUZZ_SECONDS ?= 600
FUZZ_LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
FUZZ_CONFIGURE = CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G $(GENERATOR) -DLUMAVOX_FUZZ=ON \
    -DLUMAVOX_TESTS=OFF -DLUMAVOX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(FUZZ_LAUNCHER)
fuzz: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(FUZZ_PACKAGES)"
	$(FUZZ_CONFIGURE)
	cmake --build $(BUILD)-fuzz --target fuzz_targets
	@for t in $(BUILD)-fuzz/bin/fuzz_*; do \
	    name=$$(basename $$t); corpus=fuzz/corpus/$${name#fuzz_}; work=$(BUILD)-fuzz/corpus/$${name#fuzz_}; \
	    mkdir -p $$work; echo "== $$name"; \
	    $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$work $$corpus || exit 1; \
	done

# The gateway and control tests and the GPRS route's session tests (with the
# simulators they start) under ThreadSanitizer, in a build folder of their own. Every report, from a test or
# from a simulator it started, lands in build-tsan/tsan-reports and fails the run.
TSAN_TARGETS := gateway_tests gateway_library_tests nvsocx_tests lumavox_session_tests
TSAN_REPORTS = $(abspath $(BUILD))-tsan/tsan-reports
tsan: deps
	cmake -S . -B $(BUILD)-tsan -G $(GENERATOR) -DLUMAVOX_TSAN=ON -DLUMAVOX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)-tsan --target $(TSAN_TARGETS)
	@rm -rf $(TSAN_REPORTS) && mkdir -p $(TSAN_REPORTS)
	@cd $(BUILD)-tsan && TSAN_OPTIONS="second_deadlock_stack=1 log_path=$(TSAN_REPORTS)/report $(TSAN_OPTIONS)" \
	    ctest --output-on-failure -j2 -L 'gateway|control'; status=$$?; \
	TSAN_OPTIONS="second_deadlock_stack=1 log_path=$(TSAN_REPORTS)/report $(TSAN_OPTIONS)" \
	    ctest --output-on-failure -j2 -R '^(TwoSigns|GprsSession)' || status=1; \
	if [ -n "$$(ls -A $(TSAN_REPORTS))" ]; then \
	    cat $(TSAN_REPORTS)/*; echo "ThreadSanitizer reports in $(TSAN_REPORTS)"; exit 1; \
	fi; \
	echo "ThreadSanitizer: no reports"; exit $$status

# Every test, the widget tests (offscreen) and the simulators they start
# included, under AddressSanitizer and UndefinedBehaviorSanitizer (gcc) in a
# build folder of their own. Undefined behaviour stops a program like a memory
# error does. Every report, from a test or from a program it started, lands in
# build-asan/asan-reports and fails the run. Leaks are looked for in the run,
# not while the build lists each test program's tests.
ASAN_REPORTS = $(abspath $(BUILD))-asan/asan-reports
asan: deps
	CC=gcc CXX=g++ cmake -S . -B $(BUILD)-asan -G $(GENERATOR) -DLUMAVOX_ASAN=ON -DLUMAVOX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	ASAN_OPTIONS=detect_leaks=0 cmake --build $(BUILD)-asan
	@rm -rf $(ASAN_REPORTS) && mkdir -p $(ASAN_REPORTS)
	@cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS="log_path=$(ASAN_REPORTS)/asan detect_leaks=1 $(ASAN_OPTIONS)" \
	    UBSAN_OPTIONS="log_path=$(ASAN_REPORTS)/ubsan print_stacktrace=1 halt_on_error=1 $(UBSAN_OPTIONS)" \
	    ctest --output-on-failure -j2; status=$$?; \
	if [ -n "$$(ls -A $(ASAN_REPORTS))" ]; then \
	    cat $(ASAN_REPORTS)/*; echo "Sanitizer reports in $(ASAN_REPORTS)"; exit 1; \
	fi; \
	echo "AddressSanitizer and UndefinedBehaviorSanitizer: no reports"; exit $$status

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
	rm -rf $(BUILD) $(BUILD)-fuzz $(BUILD)-tsan $(BUILD)-asan
