# The two commands of the project (see README.md).
#   make test  - set-up, all four builds, every test (native and under Wine)
#   make run   - set-up, the program's Windows build, and the program under Wine
# Each phase's wall and CPU time is recorded (tools/phase.sh) and `make test`
# prints them at the end.
.PHONY: test run setup setup-run build-native build-tsan build-windows build-windows32 build-program benchmarks

JOBS ?= $(shell nproc)
PHASE = bash tools/phase.sh
# A build phase's time includes its configuring (half a minute on 2 cores).
CONFIGURE_AND_BUILD = sh -c 'cmake --preset "$$0" >/dev/null && cmake --build --preset "$$0" "$$@"'

setup:
	@$(PHASE) --reset
	@$(PHASE) "set-up" bash tools/setup.sh

# make run needs the 64-bit libraries only.
setup-run:
	@$(PHASE) --reset
	@$(PHASE) "set-up" bash tools/setup.sh run

build-native: setup
	@$(PHASE) "build native" $(CONFIGURE_AND_BUILD) native -j $(JOBS)

# The reading thread's tests once more under ThreadSanitizer.
build-tsan: setup
	@$(PHASE) "build tsan" $(CONFIGURE_AND_BUILD) tsan -j $(JOBS)

build-windows: setup
	@$(PHASE) "build windows" $(CONFIGURE_AND_BUILD) windows -j $(JOBS)

# The 32-bit program, compiled and linked (no tests run there).
build-windows32: setup
	@$(PHASE) "build windows32" $(CONFIGURE_AND_BUILD) windows32 -j $(JOBS)

# The program and the files it reads, nothing else.
build-program: setup-run
	@$(PHASE) "build program" $(CONFIGURE_AND_BUILD) windows -j $(JOBS) --target kv_program

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
