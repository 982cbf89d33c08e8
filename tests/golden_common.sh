# Shared by run_golden.sh and update_golden.sh: runs one golden case the way its expected output was
# made. A case's first line may say "-- xcomp: OPTIONS"; the command runs in the case's folder so that
# messages name the file relatively. Prints stdout, then stderr; returns xcomp's exit status.
run_case() {
  xcomp_bin=$1
  case_file=$2
  dir=$(dirname "$case_file")
  base=$(basename "$case_file")
  opts=$(head -n 1 "$case_file" | sed -n 's/^-- xcomp: *//p' | tr -d '\r')
  tmp_err=$(mktemp)
  # shellcheck disable=SC2086
  (cd "$dir" && "$xcomp_bin" $opts "$base" 2>"$tmp_err")
  status=$?
  cat "$tmp_err"
  rm -f "$tmp_err"
  return $status
}
