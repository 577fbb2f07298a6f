# The two everyday commands: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test clean

all: build

deps:
	@./tools/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		./$(BUILD_DIR)/brimtalon; \
	else \
		echo "No display found: running the game under xvfb-run (a virtual X display)."; \
		xvfb-run -a -s "-screen 0 1920x1080x24" ./$(BUILD_DIR)/brimtalon; \
	fi

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	@rm -rf $(BUILD_DIR)

# ---- beyond the two everyday commands ------------------------------------

RELEASE_DIR ?= build-release
PACKAGE_DIR ?= build-package
SANITIZE_DIR ?= build-sanitize
TICKS ?= 50000
SANITIZE_TICKS ?= 20000
# GCC 12's LeakSanitizer crashes in its own tracer ("Tracer caught signal
# 11") while it walks the glibc dynamic-TLS blocks of a long Qt test run;
# not tracking them lets the leak check run to the end.
SANITIZE_ASAN_OPTIONS ?= detect_leaks=1:intercept_tls_get_addr=0

.PHONY: bench soak sanitize faults screenshots art sounds lint-package

bench: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(RELEASE_DIR) --target brimtalon_bench -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ./$(RELEASE_DIR)/bench/brimtalon_bench

soak: build
	@QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/tests/soak/brimtalon_soak $(TICKS)

sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DBRIMTALON_SANITIZE=ON > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=$(SANITIZE_ASAN_OPTIONS) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=$(SANITIZE_ASAN_OPTIONS) \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		./$(SANITIZE_DIR)/tests/soak/brimtalon_soak $(SANITIZE_TICKS)

# Plants each deliberate fault of tools/faults/faults.json in turn, in a copy of
# the sources under FAULTS_DIR (never in the working tree), and checks that a
# suite catches it. All of them against every suite takes hours on two cores:
# narrow it with SUITES=tst_a,tst_b and IDS=U01,W05. FAULTS_FLAGS passes further
# options to tools/faults/plant.py (--source, --faults, --out).
FAULTS_DIR ?= build-faults

faults: deps
	@exec ./tools/faults/plant.py --work $(FAULTS_DIR) --jobs $(JOBS) --build-type $(BUILD_TYPE) \
		$(if $(SUITES),--suites $(SUITES)) $(if $(IDS),--ids $(IDS)) $(FAULTS_FLAGS)

# The 1920 x 1080 set, and the same screens at a laptop's SIZE in a folder of
# their own; `make screenshots LANG=en` renders them with another language's
# texts under docs/screenshots/en/ (only a LANG given on the command line counts,
# never the locale's).
SIZE ?= 1366x768
SHOTS_DIR := docs/screenshots$(if $(filter command line,$(origin LANG)),/$(LANG))
SHOTS_TOOL = QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/tools/screenshots/brimtalon_screenshots \
	$(if $(filter command line,$(origin LANG)),--language $(LANG))

screenshots: build
	@$(SHOTS_TOOL) $(SHOTS_DIR)
	@$(SHOTS_TOOL) --size $(SIZE) $(SHOTS_DIR)/$(SIZE)

art:
	@./tools/make-art.sh

sounds:
	@./tools/make-sounds.sh

# The Debian package, built with Debian's hardening flags in its own build
# folder, then checked as it installs: the AppStream and desktop entries,
# the manual page and lintian. Not part of `make test`: it installs the
# checkers and builds the game once more.
lint-package:
	@./tools/setup-deps.sh lint
	@eval "$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)" && \
		cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CXX_FLAGS="$$CPPFLAGS $$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$$LDFLAGS" \
		-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON > /dev/null
	@cmake --build $(PACKAGE_DIR) --target brimtalon brimtalon_docs -j $(JOBS)
	@rm -rf $(PACKAGE_DIR)/lint && cd $(PACKAGE_DIR) && cpack -G DEB -B $(CURDIR)/$(PACKAGE_DIR)/lint > /dev/null
	@./tools/lint-package.sh $(PACKAGE_DIR)/lint/brimtalon_*.deb
