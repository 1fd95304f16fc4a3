# make run       - install what building and running need, build, start the program
# make test      - install what the tests need too, build, run every test (plain and sanitized builds)
# make install   - install for the current user under ~/.local (PREFIX=... to change), no root needed
# make uninstall - remove what make install put there (test.wav stays)
# make bench     - build optimised and run the benchmarks
# make format / make lint - clang-format and clang-tidy on the project's sources
# make screenshots - both windows as PNG at 100 % and 200 % into docs/
# make package   - the portable archive build/package/Quenbrix-1.00-Linux-x86_64.tar.gz
# The Debian packages each step needs are listed in scripts/packages-*.txt.

# make run and make test build in folders of their own, so that going from
# one to the other never reconfigures. A user's build (make run) takes a
# newer compiler's new warnings as warnings; the tests and CI take them as
# errors.
BUILD       ?= build
TEST_BUILD  ?= build-test
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
# Configured only, for its compile database: the Win32 sources as MinGW builds them.
LINT_WINDOWS_BUILD ?= build-lint-windows
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX      ?= $(HOME)/.local
LAUNCHER    := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The program alone: no test or packaging tool is needed to configure it.
CONFIGURE    = cmake -S . -B $(BUILD) -DQUENBRIX_BUILD_TESTS=OFF -DQUENBRIX_BUILD_BENCH=OFF $(LAUNCHER)
CONFIGURE_TESTS = cmake -S . -B $(TEST_BUILD) -DQUENBRIX_WERROR=ON \
                  -DQUENBRIX_BUILD_TESTS=ON -DQUENBRIX_BUILD_BENCH=ON $(LAUNCHER)

.PHONY: all deps-run deps-test deps-bench configure build run test test-plain test-asan bench \
        format format-check lint screenshots package install uninstall clean

all: build

deps-run:
	@scripts/install-deps run

deps-test:
	@scripts/install-deps run test

deps-bench:
	@scripts/install-deps run bench

configure: deps-run
	$(CONFIGURE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/qt/app/quenbrix

test: deps-test format-check test-plain test-asan test-windows

test-plain: deps-test
	$(CONFIGURE_TESTS) $(CMAKE_FLAGS)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps-test
	cmake -S . -B $(ASAN_BUILD) -DQUENBRIX_WERROR=ON -DQUENBRIX_SANITIZE=ON \
	      -DQUENBRIX_BUILD_TESTS=ON -DQUENBRIX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
	      $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

bench: deps-bench
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUENBRIX_BUILD_TESTS=OFF $(LAUNCHER)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target quenbrix_bench
	$(BENCH_BUILD)/bench/quenbrix_bench

format: deps-test
	scripts/format fix

format-check: deps-test
	scripts/format check

# The Win32 front end is read from the MinGW build's compile database.
lint: deps-test deps-windows
	$(CONFIGURE_TESTS) $(CMAKE_FLAGS)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	run-clang-tidy -p $(TEST_BUILD) -quiet -j $(JOBS) \
	    '^$(CURDIR)/(tonegen|forms|qt|cli|tests|bench|tools)/.*\.cpp$$'
	cmake -S . -B $(LINT_WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DQUENBRIX_BUILD_TESTS=OFF -DQUENBRIX_BUILD_BENCH=OFF -DQUENBRIX_WINDOWS_SNDFILE=OFF >/dev/null
	run-clang-tidy -p $(LINT_WINDOWS_BUILD) -quiet -j $(JOBS) $$(scripts/mingw-tidy-args) \
	    '^$(CURDIR)/win32/.*\.cpp$$'

screenshots: build
	cmake --build $(BUILD) -j $(JOBS) --target quenbrix_screenshots
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 $(BUILD)/qt/tools/screenshots/quenbrix_screenshots docs
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/qt/tools/screenshots/quenbrix_screenshots docs

package: build
	cd $(BUILD) && cpack -G TGZ
	@ls $(BUILD)/package/*.tar.gz

install: build
	scripts/user-install install "$(BUILD)" "$(PREFIX)"

uninstall:
	scripts/user-install uninstall "$(PREFIX)"

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(LINT_WINDOWS_BUILD)

include packaging/windows/windows.mk
