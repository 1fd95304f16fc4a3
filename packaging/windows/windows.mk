# The Windows build, cross-compiled with MinGW-w64 and tested under Wine;
# included by the Makefile.
# make windows      - installs what is missing, builds build-windows/package/
#                     Quenbrix-1.00-Windows-x86_64.zip and ...-setup.exe
# make test-windows - runs the Windows tests under Wine (part of make test);
#                     quenbrix-tone.exe is compared with the Linux build's

WINDOWS_BUILD ?= build-windows
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS_BUILD) \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUENBRIX_WERROR=ON -DQUENBRIX_BUILD_BENCH=OFF $(LAUNCHER)

.PHONY: windows test-windows deps-windows clean-windows

clean: clean-windows
clean-windows:
	rm -rf $(WINDOWS_BUILD)

deps-windows:
	@scripts/install-deps windows

windows: deps-windows
	$(WINDOWS_CONFIGURE) -DQUENBRIX_BUILD_TESTS=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cd $(WINDOWS_BUILD) && cpack
	@ls -l $(WINDOWS_BUILD)/package/*.zip $(WINDOWS_BUILD)/package/*-setup.exe

# The Linux quenbrix-tone is the reference for the Windows one's bytes.
test-windows: deps-test deps-windows
	@[ -f $(TEST_BUILD)/CMakeCache.txt ] || $(CONFIGURE_TESTS) $(CMAKE_FLAGS)
	cmake --build $(TEST_BUILD) -j $(JOBS) --target quenbrix-tone
	$(WINDOWS_CONFIGURE) -DQUENBRIX_BUILD_TESTS=ON \
	    -DQUENBRIX_LINUX_TONE=$(abspath $(TEST_BUILD))/cli/quenbrix-tone
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cd $(WINDOWS_BUILD) && ctest --output-on-failure -j $(JOBS)
