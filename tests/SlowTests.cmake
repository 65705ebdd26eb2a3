# Read by CTest after the tests are listed: the tests that take many seconds
# each carry the label "slow". `make test` runs them; `make test-fast` leaves
# them out for the edit-build-test loop.
set_tests_properties(
  Package.TheDebianPackagePassesLintianWithoutErrorOrWarning
  CatalogueSafety.KilledRunsLeaveACatalogueThatLoadsWhole
  PipelineScan.OneFileAtATimeOrFourInHelpersWriteTheSame
  LookupWindowTest.ListsTmdbCandidatesTheSameWay
  PROPERTIES LABELS slow)
