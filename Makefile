# make run: install what is missing, build, start the wizard against the simulated DC.
# make test: install what is missing, build, run every test.
# make package: install what is missing, build, make the Debian package.
# make check: build and run only the unit tests (the Unit label), for the edit-compile-test loop.
# make windows-test: the Qt-free libraries, vor-fwupdate.exe and their tests cross-built for Windows,
#   run under Wine, then the program's whole update under Wine against the simulated DC, on the
#   terminal and, installed by the installer, in its window on a virtual X display.
# make windows-package: the Windows installer (NSIS) in build-windows/package.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= 2
# Tests run two to a core: the whole runs in real time spend most of it waiting for the DC.
TEST_JOBS ?= 4

.PHONY: run test check deps build clean package windows-build windows-package windows-test

run: build
	$(BUILD)/bin/vor-fwupdate --demo

# The Wine tests need the Windows build: make windows-test runs them.
test: build
	cd $(BUILD) && ctest --output-on-failure -j$(TEST_JOBS) -LE Wine

check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS) -L Unit

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# make package: the Debian package in $(BUILD)/package (needs dpkg-dev for the dependencies).
package: build
	cd $(BUILD) && cpack -G DEB

WINDOWS_BUILD ?= build-windows

# The Linux vor-tool makes the language database and the demo image for the Windows
# program, and simulates the DC of its end-to-end runs.
windows-build: deps
	bash scripts/install-deps.sh windows
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS) --target vor-tool e2e_wine_tests e2e_wine_window_tests
	bash scripts/build-windows-sqlcipher.sh $(WINDOWS_BUILD)/sqlcipher
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOR_HOST_TOOL=$(abspath $(BUILD))/bin/vor-tool $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	bash scripts/check-windows-dlls.sh $(WINDOWS_BUILD)/bin/vor-fwupdate.exe
	bash scripts/check-windows-dlls.sh $(WINDOWS_BUILD)/bin/vor-fwupdate.com

VERSION := $(shell awk '/^project/ {print $$3; exit}' CMakeLists.txt)
WINDOWS_INSTALLER = $(abspath $(WINDOWS_BUILD))/package/vor-fwupdate-$(VERSION)-setup.exe

# make windows-package: the installer, warnings as errors.
windows-package: windows-build
	mkdir -p $(WINDOWS_BUILD)/package
	makensis -V2 -WX -DVERSION=$(VERSION) -DPROGRAM_DIR=$(abspath $(WINDOWS_BUILD))/bin \
	  -DPROGRAM_ICON=$(abspath $(WINDOWS_BUILD))/winwizard/images/icon.ico -DOUT_FILE=$(WINDOWS_INSTALLER) \
	  packaging/windows/vor-fwupdate.nsi

windows-test: windows-package
	# A private, headless Wine prefix, made once, with one Wine server kept up for all the
	# tests (a server left over from an interrupted run is ended first): a test process that
	# raced a server starting or stopping would lose its connection ("wine client error").
	# The server's own output goes to wineserver.log: a simulated DC's pseudo-terminal that
	# closes hangs up the server, and it dumps every object it holds.
	# The window's runs start their own X server (Xvfb) and leave a screenshot of each page
	# in $(WINDOWS_BUILD)/screenshots.
	# Wine programs start with address randomisation off (setarch -R, inherited by every
	# process the tests start): about one start in 3000 otherwise finds the address of
	# Windows' shared user data taken and ends at once ("failed to map the shared user
	# data"), before the test's own code has run.
	cd $(WINDOWS_BUILD) && rm -rf screenshots && export WINEPREFIX=$$PWD/wine WINEDEBUG=-all && unset DISPLAY WAYLAND_DISPLAY && \
	  mkdir -p wine && { wineserver -k 2> /dev/null || true; } && wineserver -p 2>> wineserver.log && \
	  setarch -R wineboot -i > wineboot.log 2>&1 && \
	  { setarch -R ctest --output-on-failure -j$(JOBS) && \
	    (cd $(abspath $(BUILD)) && VOR_WINDOWS_PROGRAM_DIR=$$WINEPREFIX/../bin \
	      VOR_WINDOWS_INSTALLER=$(WINDOWS_INSTALLER) VOR_SCREENSHOTS=$$WINEPREFIX/../screenshots \
	      setarch -R ctest --output-on-failure -V -j$(JOBS) -L Wine); \
	  status=$$?; wineserver -k; exit $$status; }

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD)
