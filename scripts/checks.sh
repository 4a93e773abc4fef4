# Sourced by the package checks: "check <what> <command...>" prints ok or FAIL and counts the failures.
failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   $what"
    else
        echo "FAIL $what"
        failures=$((failures + 1))
    fi
}
