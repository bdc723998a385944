# The two commands of the project (see README.md).
#   make test  - set-up, all four builds, every test (native and under Wine)
#   make run   - set-up, the program's Windows build, and the program under Wine
# Each phase's wall and CPU time is recorded (tools/phase.sh) and `make test`
# prints them at the end.
.PHONY: test run setup setup-run build-native build-tsan build-windows build-windows32 build-program benchmarks

JOBS ?= $(shell nproc)
PHASE = bash tools/phase.sh

setup:
	@$(PHASE) --reset
	@$(PHASE) "set-up" bash tools/setup.sh

# make run needs the 64-bit libraries only.
setup-run:
	@$(PHASE) --reset
	@$(PHASE) "set-up" bash tools/setup.sh run

build-native: setup
	cmake --preset native >/dev/null
	@$(PHASE) "build native" cmake --build --preset native -j $(JOBS)

# The reading thread's tests once more under ThreadSanitizer.
build-tsan: setup
	cmake --preset tsan >/dev/null
	@$(PHASE) "build tsan" cmake --build --preset tsan -j $(JOBS)

build-windows: setup
	cmake --preset windows >/dev/null
	@$(PHASE) "build windows" cmake --build --preset windows -j $(JOBS)

# The 32-bit program, compiled and linked (no tests run there).
build-windows32: setup
	cmake --preset windows32 >/dev/null
	@$(PHASE) "build windows32" cmake --build --preset windows32 -j $(JOBS)

# The program and the files it reads, nothing else.
build-program: setup-run
	cmake --preset windows >/dev/null
	@$(PHASE) "build program" cmake --build --preset windows -j $(JOBS) --target kv_program

# Every test run always happens; the exit status says whether any failed.
test: build-native build-tsan build-windows32 build-windows
	@status=0; \
	$(PHASE) "test native" ctest --preset native || status=1; \
	$(PHASE) "test tsan" ctest --preset tsan || status=1; \
	$(PHASE) "test windows" bash tools/with-display.sh ctest --preset windows || status=1; \
	$(PHASE) --table; \
	exit $$status

run: build-program
	bash tools/with-display.sh tools/wine-run.sh build/windows/bin/Korvalinde.exe

# Every benchmark, in the Release tree the README's benchmark commands use
# (no test builds or runs them).
benchmarks:
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BENCHMARKS=ON >/dev/null
	cmake --build build/bench -j $(JOBS)
