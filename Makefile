# The two commands of the project (see README.md).
#   make test  - set-up, all four builds, every test (native and under Wine)
#   make run   - set-up, the Windows build, and the program under Wine
.PHONY: test run setup build-native build-tsan build-windows build-windows32

JOBS ?= $(shell nproc)

setup:
	@bash tools/setup.sh

build-native: setup
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

# The reading thread's tests once more under ThreadSanitizer.
build-tsan: setup
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)

build-windows: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

build-windows32: setup
	cmake --preset windows32 >/dev/null
	cmake --build --preset windows32 -j $(JOBS)

# Both test runs always happen; the exit status says whether either failed.
test: build-native build-tsan build-windows32 build-windows
	@status=0; \
	ctest --preset native || status=1; \
	ctest --preset tsan || status=1; \
	bash tools/with-display.sh ctest --preset windows || status=1; \
	exit $$status

run: build-windows
	bash tools/with-display.sh tools/wine-run.sh build/windows/bin/Korvalinde.exe
